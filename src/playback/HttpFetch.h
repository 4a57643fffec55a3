#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace quorvel {

struct FetchLimits {
    long connectTimeoutMs = 5000;
    // The whole transfer; a server that accepts and then stalls fails after this.
    long totalTimeoutMs = 10000;
    std::size_t maxBytes = 1024 * 1024;
};

struct FetchResult {
    bool ok = false;
    long httpStatus = 0;
    std::string body;
    std::string contentType;
    // The address after redirects.
    std::string finalUrl;
    // Why it failed, for the user ("HTTP error 404", "Connection refused"...).
    std::string error;
    // The answer went past maxBytes, or was still arriving when the time was up.
    bool tooLarge = false;
    bool timedOut = false;
};

// A blocking GET over http or https (redirects too only to http or https), with the
// limits above. Setting `cancel` from another thread ends the transfer within a few
// tens of milliseconds. Run it off the GUI thread.
FetchResult HttpGet(const std::string& url, const FetchLimits& limits = {},
                    const std::atomic<bool>* cancel = nullptr);

}  // namespace quorvel
