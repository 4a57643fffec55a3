#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quorvel {

// A GET, or only a TCP connection to the address's host and port (does anything answer?).
enum class HttpMethod { Get, ConnectOnly };

// Everything one request needs: what to fetch, how much, how long, and where it may lead.
struct HttpRequest {
    std::string url;
    HttpMethod method = HttpMethod::Get;
    std::string userAgent = "Mozilla";
    // Asks every cache on the way for a fresh copy.
    bool noCache = false;
    // A conditional GET: the validators of the copy already held, as the server gave them
    // (empty: not sent). A 304 answer then says that copy is current. A value holding a
    // control character is not sent.
    std::string ifNoneMatch;
    std::string ifModifiedSince;
    // A body past this fails the request and is not held in memory.
    std::uint64_t maxBytes = 32ull * 1024 * 1024;
    long connectTimeoutMs = 15'000;
    // Ends the request when nothing arrives for this long; 0: no such limit.
    long stallTimeoutSeconds = 0;
    // Ends the whole request, redirects included, however it trickles; 0: no such limit.
    long deadlineMs = 0;
    // Schemes the address and every redirect may use, as curl lists them.
    std::string schemes = "http,https";
    // Redirects followed; with 0 a redirect is the answer, its target in `location`.
    int maxRedirects = 10;
    bool verifyPeer = true;
    // Set from another thread to end the request promptly.
    const std::atomic<bool>* cancel = nullptr;
    // Bytes received and the size announced (0 unknown); on the fetching thread, often.
    std::function<void(std::uint64_t received, std::uint64_t total)> progress;
    // Told the status, the type and the first bytes of a body: how many bytes of it are
    // wanted. The request ends well once it has them (a live stream never ends by itself);
    // at most the first bytes' size ends it with those. A told size over maxBytes then
    // refuses nothing up front.
    std::function<std::uint64_t(long status, std::string_view contentType,
                                std::string_view firstBytes)>
        bodyWanted;
    // When set, each piece of the body goes here as it arrives and none of it is kept in
    // the response; maxBytes still caps the whole. Returning false ends the request, which
    // then fails as Cancelled.
    std::function<bool(std::string_view chunk)> onBodyChunk;
};

enum class HttpFailure {
    None,
    Cancelled,
    ConnectTimeout,
    Stalled,
    Deadline,
    TooLarge,
    HttpError,        // status 400 and up; the body is dropped
    SchemeRefused,    // the address's own scheme is not allowed
    RedirectRefused,  // a redirect led to a scheme that is not allowed
    ConnectionRefused,
    Other,
};

struct HttpResponse {
    HttpFailure failure = HttpFailure::Other;
    // The network library's words for the failure; empty when it had none.
    std::string detail;
    long httpStatus = 0;
    std::string body;
    std::string contentType;
    // The address after the redirects followed.
    std::string finalUrl;
    // An unfollowed redirect's target, made absolute.
    std::string location;
    // The answer's ETag and Last-Modified headers, for a later conditional GET.
    std::string etag;
    std::string lastModified;
    bool connected = false;
    bool sawBody = false;

    bool Ok() const { return failure == HttpFailure::None; }
};

// A blocking request; run it off the GUI thread.
HttpResponse Fetch(const HttpRequest& request);

}  // namespace quorvel
