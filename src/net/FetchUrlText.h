#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quorvel {

struct FetchOptions {
    long connectTimeoutSeconds = 15;
    // A transfer that receives nothing for this long ends; there is no limit on the whole,
    // so a large page over a slow line still arrives.
    long stallTimeoutSeconds = 30;
    std::uint64_t maxBytes = 32ull * 1024 * 1024;
    // Set from another thread to end the transfer; it ends within about a second.
    const std::atomic<bool>* cancel = nullptr;
    // Bytes received so far and the size the server announced (0 when unknown). Called on
    // the fetching thread, often; keep it cheap.
    std::function<void(std::uint64_t received, std::uint64_t total)> progress;
};

struct FetchedText {
    // The body's bytes as the server sent them; empty whenever the fetch failed.
    std::string text;
    // Why it failed, in words for the user; empty on success.
    std::string error;
    bool cancelled = false;
    long httpStatus = 0;

    bool Ok() const { return error.empty(); }
};

// A plain GET with the agent "Mozilla", never answered from a cache, over http or https
// only (a redirect elsewhere is refused). An error status (400 and up), a timeout, a body
// over the size limit or a cancel all give empty text and a reason. Blocks: run it off the
// GUI thread.
FetchedText FetchUrlText(std::string_view url, const FetchOptions& options = {});

}  // namespace quorvel
