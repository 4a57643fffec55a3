#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "net/CurlHandles.h"
#include "net/HttpRequest.h"

namespace quorvel {

// Many requests at once on the thread that calls Run. A request's Done runs on that
// thread as soon as it is over, and may add further requests.
class FetchMany {
public:
    using Done = std::function<void(HttpResponse response)>;

    FetchMany();
    ~FetchMany();
    FetchMany(const FetchMany&) = delete;
    FetchMany& operator=(const FetchMany&) = delete;

    // Before Run, or from a Done while it runs.
    void Add(HttpRequest request, Done done);
    // Until every request is over, or until Cancel: then the rest end without their Done.
    // False when cancelled.
    bool Run();
    // From any thread; stays cancelled.
    void Cancel();
    std::size_t Running() const { return m_active.size(); }

    struct Active;

private:
    void Finish(Active& active, HttpResponse response);

    CurlMulti m_multi;
    std::vector<std::unique_ptr<Active>> m_active;
    std::atomic<bool> m_cancel{false};
};

}  // namespace quorvel
