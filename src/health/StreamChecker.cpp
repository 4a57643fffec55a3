#include "health/StreamChecker.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <unordered_map>

#include "health/PlaylistProbe.h"
#include "net/CurlHandles.h"
#include "playback/AddressPolicy.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// A playlist is read whole up to this size; its first entry is near the top anyway.
constexpr std::size_t kMaxPlaylistBytes = 256 * 1024;
// What is kept of a stream's first bytes (only to tell a playlist from a stream).
constexpr std::size_t kStreamSniffBytes = 512;

struct Probe {
    std::string address;
    std::vector<std::size_t> indexes;  // every position of the address in the input
    Clock::time_point start;
    Clock::time_point deadline;
    bool done = false;

    // The step running now: one HTTP request or one TCP connection.
    std::string url;
    bool connectOnly = false;
    std::unique_ptr<CurlTransfer> transfer;
    std::string body;
    std::string contentType;
    bool sawByte = false;
    bool readingPlaylist = false;
    bool stoppedOnPurpose = false;
    char error[CURL_ERROR_SIZE] = {};

    int redirects = 0;
    bool followedPlaylist = false;
    long firstByteMs = -1;
};

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* user) {
    Probe& probe = *static_cast<Probe*>(user);
    const std::size_t bytes = size * count;
    if (!probe.sawByte) {
        probe.sawByte = true;
        probe.firstByteMs = MillisecondsSince(probe.start);
        long code = 0;
        curl_easy_getinfo(probe.transfer->Get(), CURLINFO_RESPONSE_CODE, &code);
        if (code >= 300) {
            probe.stoppedOnPurpose = true;  // redirect and error pages are not needed
            return 0;
        }
        char* type = nullptr;
        curl_easy_getinfo(probe.transfer->Get(), CURLINFO_CONTENT_TYPE, &type);
        probe.contentType = type ? type : "";
        probe.readingPlaylist =
            !probe.followedPlaylist &&
            MayBePlaylist(probe.contentType, probe.url,
                          std::string_view(data, std::min(bytes, kStreamSniffBytes)));
    }
    if (!probe.readingPlaylist) {
        probe.body.append(data, std::min(bytes, kStreamSniffBytes));
        probe.stoppedOnPurpose = true;  // a live stream never ends: its first bytes do
        return 0;
    }
    if (probe.body.size() + bytes > kMaxPlaylistBytes) {
        probe.body.append(data, kMaxPlaylistBytes - probe.body.size());
        probe.stoppedOnPurpose = true;
        return 0;
    }
    probe.body.append(data, bytes);
    return bytes;
}

// The Location of a redirect made absolute. Read from the header itself: curl works the
// target out only for transfers that end normally, and ours stop at the first byte.
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

int DefaultPort(std::string_view scheme) {
    static const std::pair<std::string_view, int> kPorts[] = {
        {"rtsp", 554}, {"rtmp", 1935}, {"rtmps", 443}, {"mms", 1755}, {"mmst", 1755}, {"mmsh", 80}};
    for (const auto& [name, port] : kPorts) {
        if (name == scheme)
            return port;
    }
    return 0;
}

// "http://host:port/" for a TCP connection to the address's server, or nothing.
std::optional<std::string> ConnectTarget(const std::string& address, const std::string& scheme) {
    CurlUrl url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
                    CURLUE_OK) {
        return std::nullopt;
    }
    char* hostPart = nullptr;
    if (curl_url_get(url.get(), CURLUPART_HOST, &hostPart, 0) != CURLUE_OK)
        return std::nullopt;
    const CurlText host(hostPart);
    int port = DefaultPort(scheme);
    char* portPart = nullptr;
    if (curl_url_get(url.get(), CURLUPART_PORT, &portPart, 0) == CURLUE_OK) {
        const CurlText text(portPart);
        port = std::atoi(text.get());
    }
    if (port <= 0 || port > 65535)
        return std::nullopt;
    return "http://" + std::string(host.get()) + ":" + std::to_string(port) + "/";
}

std::string Seconds(long ms) {
    const long tenths = (ms + 50) / 100;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " s";
}

class CheckRun {
public:
    CheckRun(CURLM* multi, const CheckOptions& options, const StreamChecker::ProgressFn& progress,
             CheckReport& report)
        : m_multi(multi), m_options(options), m_progress(progress), m_report(report) {}

    void Start(Probe& probe) {
        probe.start = Clock::now();
        probe.deadline = probe.start + std::chrono::milliseconds(m_options.timeoutMs);
        ++m_running;
        StartStep(probe, probe.address);
    }

    void OnDone(Probe& probe, CURLcode code) {
        if (probe.connectOnly && code == CURLE_OK) {
            probe.firstByteMs = MillisecondsSince(probe.start);
            return Finish(probe, Ok(probe, "connected"));
        }
        if (probe.connectOnly)
            return Fail(probe, code);
        if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && probe.stoppedOnPurpose))
            return Fail(probe, code);
        long http = 0;
        curl_easy_getinfo(probe.transfer->Get(), CURLINFO_RESPONSE_CODE, &http);
        if (http >= 300 && http < 400)
            return Redirect(probe, http);
        if (http >= 400)
            return Finish(probe, Dead(probe, http, "HTTP error " + std::to_string(http)));
        if (http < 200)
            return Finish(probe,
                          Dead(probe, http, "unexpected HTTP status " + std::to_string(http)));
        if (!probe.sawByte)
            return Finish(probe, Dead(probe, http, "no data"));
        if (!probe.readingPlaylist) {
            ProbeResult result =
                Ok(probe, probe.contentType.empty() ? "stream" : probe.contentType);
            result.httpStatus = http;
            return Finish(probe, std::move(result));
        }
        const auto entry = FirstStreamOfPlaylist(probe.body, probe.url, probe.contentType);
        if (!entry)
            return Finish(probe, Dead(probe, http, "playlist names no stream"));
        probe.followedPlaylist = true;
        StartStep(probe, *entry);
    }

    std::size_t Running() const { return m_running; }

private:
    ProbeResult Ok(const Probe& probe, std::string reason) const {
        ProbeResult result;
        result.status = ProbeStatus::Ok;
        result.reason = std::move(reason);
        result.firstByteMs = probe.firstByteMs;
        return result;
    }

    ProbeResult Dead(const Probe&, long http, std::string reason) const {
        ProbeResult result;
        result.status = ProbeStatus::Dead;
        result.httpStatus = http;
        result.reason = std::move(reason);
        return result;
    }

    void Fail(Probe& probe, CURLcode code) {
        ProbeResult result;
        CURL* easy = probe.transfer->Get();
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.httpStatus);
        if (code == CURLE_OPERATION_TIMEDOUT) {
            curl_off_t connected = 0;
            curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected);
            result.status = ProbeStatus::Timeout;
            const std::string within = Seconds(m_options.timeoutMs);
            result.reason = probe.sawByte   ? "stalled after the first bytes"
                            : connected > 0 ? "no answer within " + within
                                            : "no connection within " + within;
        } else if (code == CURLE_COULDNT_CONNECT) {
            long err = 0;
            curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &err);
            result.status = err == ECONNREFUSED ? ProbeStatus::Refused : ProbeStatus::Dead;
            result.reason = err == ECONNREFUSED ? "connection refused" : probe.error;
        } else {
            result.status = ProbeStatus::Dead;
            result.reason = probe.error[0] ? probe.error : curl_easy_strerror(code);
        }
        Finish(probe, std::move(result));
    }

    void Redirect(Probe& probe, long http) {
        const std::string target = RedirectTarget(probe.transfer->Get());
        if (target.empty())
            return Finish(probe, Dead(probe, http, "redirect without an address"));
        const std::string scheme = SchemeOf(target);
        if (scheme != "http" && scheme != "https") {
            return Finish(probe,
                          Dead(probe, http,
                               "redirect to " + (scheme.empty() ? "a local path" : scheme + ":") +
                                   " refused"));
        }
        if (++probe.redirects > m_options.maxRedirects)
            return Finish(probe, Dead(probe, http, "too many redirects"));
        StartStep(probe, target);
    }

    void StartStep(Probe& probe, const std::string& address) {
        probe.transfer.reset();
        probe.body.clear();
        probe.contentType.clear();
        probe.sawByte = probe.readingPlaylist = probe.stoppedOnPurpose = false;
        probe.error[0] = '\0';

        const AddressCheck check = CheckAddress(address);
        if (check.kind == AddressKind::Refused)
            return Finish(probe,
                          Dead(probe, 0, check.reason.empty() ? "not an address" : check.reason));
        if (check.kind == AddressKind::LocalPath)
            return Finish(probe, Unchecked("a local file"));
        const std::string scheme = SchemeOf(check.address);
        if (scheme == "udp" || scheme == "rtp")
            return Finish(probe, Unchecked(scheme + " cannot be probed"));

        const long remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(probe.deadline - Clock::now())
                .count();
        if (remaining <= 0) {
            ProbeResult result;
            result.status = ProbeStatus::Timeout;
            result.reason = "no answer within " + Seconds(m_options.timeoutMs);
            return Finish(probe, std::move(result));
        }

        CurlEasy easy(curl_easy_init());
        if (!easy)
            return Finish(probe, Dead(probe, 0, "the network library could not start"));
        CURL* h = easy.get();
        probe.connectOnly = scheme != "http" && scheme != "https";
        if (probe.connectOnly) {
            const auto target = ConnectTarget(check.address, scheme);
            if (!target)
                return Finish(probe, Unchecked("no port to probe"));
            probe.url = *target;
            curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
        } else {
            probe.url = check.address;
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnData);
            curl_easy_setopt(h, CURLOPT_WRITEDATA, &probe);
            curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0");
            // Redirects are looked at here, one by one, so none leads off http and https.
            curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        }
        curl_easy_setopt(h, CURLOPT_URL, probe.url.c_str());
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_PRIVATE, &probe);
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, probe.error);
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, remaining);
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, remaining);
        // The player does not verify certificates either; a check should say what plays.
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
        probe.transfer = std::make_unique<CurlTransfer>(m_multi, std::move(easy));
        if (!probe.transfer->Added())
            return Finish(probe, Dead(probe, 0, "the network library could not start"));
    }

    static ProbeResult Unchecked(std::string reason) {
        ProbeResult result;
        result.reason = std::move(reason);
        return result;
    }

    void Finish(Probe& probe, ProbeResult result) {
        probe.transfer.reset();
        std::string().swap(probe.body);
        probe.done = true;
        --m_running;
        result.viaPlaylist = probe.followedPlaylist;
        for (const std::size_t index : probe.indexes) {
            m_report.results[index] = result;
            if (m_progress)
                m_progress(index, result);
        }
    }

    CURLM* m_multi;
    const CheckOptions& m_options;
    const StreamChecker::ProgressFn& m_progress;
    CheckReport& m_report;
    std::size_t m_running = 0;
};

void InitCurlOnce() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)initialised;
}

}  // namespace

StreamChecker::StreamChecker(CheckOptions options) : m_options(options) {
    m_options.concurrency = std::max(1, m_options.concurrency);
    m_options.timeoutMs = std::max(1L, m_options.timeoutMs);
    m_options.maxRedirects = std::max(0, m_options.maxRedirects);
}

CheckReport StreamChecker::Check(const std::vector<std::string>& addresses,
                                 const ProgressFn& progress) {
    InitCurlOnce();
    CheckReport report;
    report.results.resize(addresses.size());
    for (auto& result : report.results)
        result.reason = "not checked";

    CurlMulti multi(curl_multi_init());
    if (!multi) {
        report.cancelled = true;
        return report;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_wake = multi.get();
    }
    struct ForgetWake {
        StreamChecker& checker;
        ~ForgetWake() {
            const std::lock_guard lock(checker.m_mutex);
            checker.m_wake = nullptr;
        }
    } forgetWake{*this};

    // Declared after the multi handle: every transfer leaves it before it is cleaned up.
    std::vector<Probe> probes;
    {
        std::unordered_map<std::string_view, std::size_t> seen;
        seen.reserve(addresses.size());
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            const auto [it, fresh] = seen.try_emplace(addresses[i], probes.size());
            if (fresh) {
                probes.emplace_back();
                probes.back().address = addresses[i];
            }
            probes[it->second].indexes.push_back(i);
        }
    }

    CheckRun run(multi.get(), m_options, progress, report);
    std::size_t next = 0;
    const auto concurrency = static_cast<std::size_t>(m_options.concurrency);
    while (!m_cancel) {
        while (run.Running() < concurrency && next < probes.size())
            run.Start(probes[next++]);
        if (run.Running() == 0 && next == probes.size())
            break;
        int active = 0;
        curl_multi_perform(multi.get(), &active);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            void* owner = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
            run.OnDone(*static_cast<Probe*>(owner), message->data.result);
        }
        if (run.Running() == 0 && next == probes.size())
            break;
        curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr);
    }
    report.cancelled = run.Running() > 0 || next < probes.size();
    return report;
}

void StreamChecker::Cancel() {
    m_cancel = true;
    const std::lock_guard lock(m_mutex);
    if (m_wake)
        curl_multi_wakeup(m_wake);
}

}  // namespace quorvel
