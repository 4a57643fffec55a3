#include "net/FetchMany.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// How often a request's own cancel flag is looked at while nothing else happens.
constexpr int kCancelCheckMs = 20;
constexpr int kIdleWaitMs = 1000;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResponse Failed(HttpFailure failure, std::string detail) {
    HttpResponse response;
    response.failure = failure;
    response.detail = std::move(detail);
    return response;
}

}  // namespace

struct FetchMany::Active {
    HttpRequest request;
    Done done;
    std::optional<HttpResponse> early;  // failed before it reached the network
    Clock::time_point start = Clock::now();
    std::string body;
    std::string contentType;
    std::uint64_t wanted = std::numeric_limits<std::uint64_t>::max();
    bool sawBody = false;
    bool endedWell = false;
    bool tooLarge = false;
    // Handed to onBodyChunk so far, and whether it asked to stop.
    std::uint64_t streamed = 0;
    bool stoppedByReceiver = false;
    char error[CURL_ERROR_SIZE] = {};
    // Declared last: it leaves the multi handle before the rest goes.
    CurlList headers;
    std::unique_ptr<CurlTransfer> transfer;
};

namespace {

using Active = FetchMany::Active;

bool StopsAtStatus(const Active& active, long status) {
    return status >= 400 || (status >= 300 && active.request.maxRedirects == 0);
}

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* user) {
    Active& active = *static_cast<Active*>(user);
    const std::size_t bytes = size * count;
    if (!active.sawBody) {
        active.sawBody = true;
        CURL* easy = active.transfer->Get();
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        char* type = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type);
        active.contentType = type ? type : "";
        // An error page or a redirect not followed: its body is not wanted.
        if (StopsAtStatus(active, status)) {
            active.endedWell = true;
            return 0;
        }
        if (active.request.bodyWanted)
            active.wanted = active.request.bodyWanted(status, active.contentType, {data, bytes});
    }
    if (active.request.onBodyChunk) {
        if (active.streamed + bytes > active.request.maxBytes) {
            active.tooLarge = true;
            return 0;
        }
        active.streamed += bytes;
        if (!active.request.onBodyChunk({data, bytes})) {
            active.stoppedByReceiver = true;
            return 0;
        }
        return bytes;
    }
    if (active.body.size() + bytes >= active.wanted && active.wanted <= active.request.maxBytes) {
        active.body.append(data, active.wanted - active.body.size());
        active.endedWell = true;
        return 0;  // curl stops with a write error, which here is no error
    }
    if (active.body.size() + bytes > active.request.maxBytes) {
        active.tooLarge = true;
        return 0;
    }
    active.body.append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    const HttpRequest& request = static_cast<const Active*>(user)->request;
    if (request.cancel && request.cancel->load())
        return 1;
    if (request.progress) {
        request.progress(static_cast<std::uint64_t>(std::max<curl_off_t>(received, 0)),
                         static_cast<std::uint64_t>(std::max<curl_off_t>(total, 0)));
    }
    return 0;
}

// A header of the last answer (after the redirects followed), or empty.
std::string HeaderValue(CURL* easy, const char* name) {
    curl_header* header = nullptr;
    if (curl_easy_header(easy, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header->value)
        return {};
    return header->value;
}

// A value that can go into a request header as it is: no CR or LF to start another one.
bool IsHeaderValue(std::string_view value) {
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

// The Location of a redirect made absolute. Read from the header itself: curl works the
// target out only for transfers that end normally, and these stop at the first byte.
std::string RedirectTarget(CURL* easy) {
    curl_header* header = nullptr;
    if (curl_easy_header(easy, "Location", 0, CURLH_HEADER, -1, &header) != CURLHE_OK)
        return {};
    char* effective = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective);
    CurlUrl url(curl_url());
    if (!url || !effective || curl_url_set(url.get(), CURLUPART_URL, effective, 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, header->value,
                     CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE) != CURLUE_OK) {
        return {};
    }
    char* joined = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &joined, 0) != CURLUE_OK)
        return {};
    const CurlText text(joined);
    return text.get();
}

HttpFailure Classify(CURLcode code, const Active& active, CURL* easy, bool connected) {
    switch (code) {
        case CURLE_ABORTED_BY_CALLBACK:
            return HttpFailure::Cancelled;
        case CURLE_FILESIZE_EXCEEDED:
            return HttpFailure::TooLarge;
        case CURLE_WRITE_ERROR:
            if (active.stoppedByReceiver)
                return HttpFailure::Cancelled;
            return active.tooLarge ? HttpFailure::TooLarge : HttpFailure::Other;
        case CURLE_OPERATION_TIMEDOUT: {
            // curl names its low-speed limit in the message; any other timeout on a connected
            // transfer is the overall deadline. Our clock and curl's can disagree by a few
            // milliseconds, so the elapsed time only tells a deadline from a slow connect.
            if (std::string_view(active.error).starts_with("Operation too slow"))
                return HttpFailure::Stalled;
            const long deadline = active.request.deadlineMs;
            if (deadline > 0 && connected)
                return HttpFailure::Deadline;
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - active.start)
                    .count();
            if (deadline > 0 && elapsed + 50 >= deadline)
                return HttpFailure::Deadline;
            return connected ? HttpFailure::Stalled : HttpFailure::ConnectTimeout;
        }
        case CURLE_UNSUPPORTED_PROTOCOL: {
            long redirects = 0;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_COUNT, &redirects);
            char* next = nullptr;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &next);
            return redirects > 0 || next ? HttpFailure::RedirectRefused
                                         : HttpFailure::SchemeRefused;
        }
        case CURLE_COULDNT_CONNECT: {
            long err = 0;
            curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &err);
            return err == ECONNREFUSED ? HttpFailure::ConnectionRefused : HttpFailure::Other;
        }
        default:
            return HttpFailure::Other;
    }
}

HttpResponse Response(Active& active, CURLcode code) {
    HttpResponse response;
    CURL* easy = active.transfer->Get();
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.httpStatus);
    if (char* effective = nullptr;
        curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
        response.finalUrl = effective;
    if (active.sawBody) {
        response.contentType = active.contentType;
    } else if (char* type = nullptr;
               curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
        response.contentType = type;
    }
    curl_off_t connectTime = 0;
    curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime);
    response.connected =
        connectTime > 0 || (code == CURLE_OK && active.request.method == HttpMethod::ConnectOnly);
    response.sawBody = active.sawBody;

    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && active.endedWell)) {
        if (active.request.method == HttpMethod::Get && response.httpStatus >= 400) {
            response.failure = HttpFailure::HttpError;
        } else {
            response.failure = HttpFailure::None;
            response.body = std::move(active.body);
            response.etag = HeaderValue(easy, "ETag");
            response.lastModified = HeaderValue(easy, "Last-Modified");
            if (response.httpStatus >= 300 && response.httpStatus < 400 &&
                active.request.maxRedirects == 0)
                response.location = RedirectTarget(easy);
        }
        return response;
    }
    // curl refuses a told size over the cap before the status is looked at: an error page
    // too large to read is still an error status, not a page too large.
    if (code == CURLE_FILESIZE_EXCEEDED && active.request.method == HttpMethod::Get &&
        response.httpStatus >= 400) {
        response.failure = HttpFailure::HttpError;
        return response;
    }
    response.failure = Classify(code, active, easy, response.connected);
    response.detail = active.error[0] ? active.error : curl_easy_strerror(code);
    return response;
}

}  // namespace

FetchMany::FetchMany() {
    InitCurlOnce();
    m_multi.reset(curl_multi_init());
}

FetchMany::~FetchMany() = default;

void FetchMany::Add(HttpRequest request, Done done) {
    auto active = std::make_unique<Active>();
    active->request = std::move(request);
    active->done = std::move(done);
    const HttpRequest& r = active->request;
    CurlEasy easy(m_multi ? curl_easy_init() : nullptr);
    if (!easy) {
        active->early = Failed(HttpFailure::Other, "The network library could not start.");
        m_active.push_back(std::move(active));
        return;
    }
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, r.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, r.schemes.c_str());
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, r.schemes.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PRIVATE, active.get());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, active->error);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, std::max(1L, r.connectTimeoutMs));
    if (r.deadlineMs > 0)
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, r.deadlineMs);
    if (!r.verifyPeer) {
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, active.get());
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    if (r.method == HttpMethod::ConnectOnly) {
        curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, r.maxRedirects > 0 ? 1L : 0L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, static_cast<long>(r.maxRedirects));
        curl_easy_setopt(h, CURLOPT_USERAGENT, r.userAgent.c_str());
        std::vector<std::string> extra;
        if (r.noCache) {
            extra.emplace_back("Cache-Control: no-cache");
            extra.emplace_back("Pragma: no-cache");
        }
        if (!r.ifNoneMatch.empty() && IsHeaderValue(r.ifNoneMatch))
            extra.push_back("If-None-Match: " + r.ifNoneMatch);
        if (!r.ifModifiedSince.empty() && IsHeaderValue(r.ifModifiedSince))
            extra.push_back("If-Modified-Since: " + r.ifModifiedSince);
        bool listed = true;
        for (const auto& header : extra) {
            curl_slist* longer = curl_slist_append(active->headers.get(), header.c_str());
            if (!longer) {
                listed = false;
                break;
            }
            active->headers.release();
            active->headers.reset(longer);
        }
        if (!extra.empty() && listed)
            curl_easy_setopt(h, CURLOPT_HTTPHEADER, active->headers.get());
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnData);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, active.get());
        // A told size over the cap is refused before anything arrives, unless only the
        // first bytes are wanted anyway.
        if (!r.bodyWanted &&
            r.maxBytes < static_cast<std::uint64_t>(std::numeric_limits<curl_off_t>::max())) {
            curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(r.maxBytes));
        }
        if (r.stallTimeoutSeconds > 0) {
            curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
            curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, r.stallTimeoutSeconds);
        }
    }
    active->transfer = std::make_unique<CurlTransfer>(m_multi.get(), std::move(easy));
    if (!active->transfer->Added())
        active->early = Failed(HttpFailure::Other, "The network library could not start.");
    m_active.push_back(std::move(active));
}

void FetchMany::Finish(Active& active, HttpResponse response) {
    const auto it = std::find_if(m_active.begin(), m_active.end(),
                                 [&](const auto& entry) { return entry.get() == &active; });
    std::unique_ptr<Active> owned = std::move(*it);
    *it = std::move(m_active.back());
    m_active.pop_back();
    owned->transfer.reset();
    // Done may add requests: it runs once this one is out of the list.
    if (owned->done)
        owned->done(std::move(response));
}

bool FetchMany::Run() {
    while (!m_cancel && !m_active.empty()) {
        for (std::size_t i = 0; i < m_active.size();) {
            Active& active = *m_active[i];
            if (active.early) {
                Finish(active, std::move(*active.early));
                i = 0;
            } else if (active.request.cancel && active.request.cancel->load()) {
                Finish(active, Failed(HttpFailure::Cancelled, {}));
                i = 0;
            } else {
                ++i;
            }
        }
        if (m_active.empty() || m_cancel)
            break;
        int running = 0;
        curl_multi_perform(m_multi.get(), &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            void* owner = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
            Active& active = *static_cast<Active*>(owner);
            Finish(active, Response(active, message->data.result));
        }
        if (m_active.empty() || m_cancel)
            break;
        bool watchesFlag = false;
        bool early = false;
        for (const auto& active : m_active) {
            watchesFlag = watchesFlag || active->request.cancel;
            early = early || active->early;
        }
        if (!early) {
            curl_multi_poll(m_multi.get(), nullptr, 0, watchesFlag ? kCancelCheckMs : kIdleWaitMs,
                            nullptr);
        }
    }
    if (m_active.empty())
        return true;
    m_active.clear();
    return false;
}

void FetchMany::Cancel() {
    m_cancel = true;
    if (m_multi)
        curl_multi_wakeup(m_multi.get());
}

HttpResponse Fetch(const HttpRequest& request) {
    FetchMany many;
    HttpResponse response;
    many.Add(request, [&response](HttpResponse answer) { response = std::move(answer); });
    many.Run();
    return response;
}

}  // namespace quorvel
