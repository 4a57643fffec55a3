#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "health/ProbeResult.h"

namespace quorvel {

class FetchMany;

struct CheckOptions {
    int concurrency = 20;     // probes running at once
    long timeoutMs = 10'000;  // per address, redirects and a playlist's stream included
    int maxRedirects = 5;
};

struct CheckReport {
    std::vector<ProbeResult> results;  // one per address, in the order given
    bool cancelled = false;
};

// Probes stream addresses concurrently on one thread: http and https by a GET that stops
// after the first bytes (a playlist is read and its first stream probed, one level deep;
// redirects are followed only to http and https), the other stream schemes by a TCP
// connection to their port. An address given several times is probed once.
class StreamChecker {
public:
    // Called on the thread running Check, once per address, as soon as its result is known.
    using ProgressFn = std::function<void(std::size_t index, const ProbeResult& result)>;

    explicit StreamChecker(CheckOptions options = {});
    StreamChecker(const StreamChecker&) = delete;
    StreamChecker& operator=(const StreamChecker&) = delete;

    // Blocks until every address is known or Cancel is called; run it off the GUI thread.
    CheckReport Check(const std::vector<std::string>& addresses, const ProgressFn& progress = {});

    // From any thread, before or during Check: the check ends promptly and addresses not
    // yet known stay Unchecked. A cancelled checker stays cancelled.
    void Cancel();

private:
    CheckOptions m_options;
    std::atomic<bool> m_cancel{false};
    std::mutex m_mutex;              // guards m_running
    FetchMany* m_running = nullptr;  // the running check's requests, to cancel them
};

}  // namespace quorvel
