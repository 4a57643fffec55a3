#include "health/StreamChecker.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <unordered_map>

#include "net/FetchMany.h"
#include "net/UrlParts.h"
#include "playback/AddressPolicy.h"
#include "playback/FetchedPlaylist.h"

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

    // The step running now: one HTTP request or one TCP connection.
    std::string url;
    bool connectOnly = false;
    bool readingPlaylist = false;

    int redirects = 0;
    bool followedPlaylist = false;
    long firstByteMs = -1;
};

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
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
    const std::optional<HostAndPort> parts = ParseHostAndPort(address);
    if (!parts)
        return std::nullopt;
    const int port = parts->port != 0 ? parts->port : DefaultPort(scheme);
    if (port <= 0 || port > 65535)
        return std::nullopt;
    return "http://" + parts->host + ":" + std::to_string(port) + "/";
}

std::string Seconds(long ms) {
    const long tenths = (ms + 50) / 100;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " s";
}

class CheckRun {
public:
    CheckRun(FetchMany& many, const CheckOptions& options,
             const StreamChecker::ProgressFn& progress, CheckReport& report,
             std::vector<Probe>& probes)
        : m_many(many),
          m_options(options),
          m_progress(progress),
          m_report(report),
          m_probes(probes) {}

    // Probes that end at once (local files, refused addresses) make room in this loop, not
    // by starting the next from within their end.
    void StartNext() {
        if (m_starting)
            return;
        m_starting = true;
        const auto concurrency = static_cast<std::size_t>(m_options.concurrency);
        while (m_running < concurrency && m_next < m_probes.size())
            Start(m_probes[m_next++]);
        m_starting = false;
    }

    bool AllKnown() const { return m_running == 0 && m_next == m_probes.size(); }

private:
    void Start(Probe& probe) {
        probe.start = Clock::now();
        probe.deadline = probe.start + std::chrono::milliseconds(m_options.timeoutMs);
        ++m_running;
        StartStep(probe, probe.address);
    }

    void OnDone(Probe& probe, const HttpResponse& response) {
        if (probe.connectOnly && response.Ok()) {
            probe.firstByteMs = MillisecondsSince(probe.start);
            return Finish(probe, Ok(probe, "connected"));
        }
        const long http = response.httpStatus;
        if (response.failure == HttpFailure::HttpError)
            return Finish(probe, Dead(http, "HTTP error " + std::to_string(http)));
        if (!response.Ok())
            return Fail(probe, response);
        if (http >= 300 && http < 400)
            return Redirect(probe, http, response.location);
        if (http < 200)
            return Finish(probe, Dead(http, "unexpected HTTP status " + std::to_string(http)));
        if (!response.sawBody)
            return Finish(probe, Dead(http, "no data"));
        if (!probe.readingPlaylist) {
            ProbeResult result =
                Ok(probe, response.contentType.empty() ? "stream" : response.contentType);
            result.httpStatus = http;
            return Finish(probe, std::move(result));
        }
        // Read as the player reads it, so the check follows the entry the player would play.
        const PlaylistFormat format =
            DetectFetchedPlaylistFormat(response.body, probe.url, response.contentType);
        const std::vector<std::string> entries = PlayableEntries(
            ReadPlaylistEntries(response.body, format), format, probe.url, PlaylistOrigin::Network);
        if (entries.empty())
            return Finish(probe, Dead(http, "playlist names no stream"));
        probe.followedPlaylist = true;
        StartStep(probe, entries.front());
    }

    ProbeResult Ok(const Probe& probe, std::string reason) const {
        ProbeResult result;
        result.status = ProbeStatus::Ok;
        result.reason = std::move(reason);
        result.firstByteMs = probe.firstByteMs;
        return result;
    }

    static ProbeResult Dead(long http, std::string reason) {
        ProbeResult result;
        result.status = ProbeStatus::Dead;
        result.httpStatus = http;
        result.reason = std::move(reason);
        return result;
    }

    void Fail(Probe& probe, const HttpResponse& response) {
        ProbeResult result;
        result.httpStatus = response.httpStatus;
        switch (response.failure) {
            case HttpFailure::Deadline:
            case HttpFailure::ConnectTimeout:
            case HttpFailure::Stalled: {
                result.status = ProbeStatus::Timeout;
                const std::string within = Seconds(m_options.timeoutMs);
                result.reason = response.sawBody     ? "stalled after the first bytes"
                                : response.connected ? "no answer within " + within
                                                     : "no connection within " + within;
                break;
            }
            case HttpFailure::ConnectionRefused:
                result.status = ProbeStatus::Refused;
                result.reason = "connection refused";
                break;
            default:
                result.status = ProbeStatus::Dead;
                result.reason = response.detail;
                break;
        }
        Finish(probe, std::move(result));
    }

    void Redirect(Probe& probe, long http, const std::string& target) {
        if (target.empty())
            return Finish(probe, Dead(http, "redirect without an address"));
        const std::string scheme = SchemeOf(target);
        if (scheme != "http" && scheme != "https") {
            return Finish(probe, Dead(http, "redirect to " +
                                                (scheme.empty() ? "a local path" : scheme + ":") +
                                                " refused"));
        }
        if (++probe.redirects > m_options.maxRedirects)
            return Finish(probe, Dead(http, "too many redirects"));
        StartStep(probe, target);
    }

    void StartStep(Probe& probe, const std::string& address) {
        probe.readingPlaylist = false;
        const AddressCheck check = CheckAddress(address);
        if (check.kind == AddressKind::Refused)
            return Finish(probe, Dead(0, check.reason.empty() ? "not an address" : check.reason));
        if (check.kind == AddressKind::LocalPath)
            return Finish(probe, Unchecked("a local file"));
        const std::string scheme = SchemeOf(check.address);
        if (scheme == "udp" || scheme == "rtp")
            return Finish(probe, Unchecked(scheme + " cannot be probed"));

        const long remaining = static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(probe.deadline - Clock::now())
                .count());
        if (remaining <= 0) {
            ProbeResult result;
            result.status = ProbeStatus::Timeout;
            result.reason = "no answer within " + Seconds(m_options.timeoutMs);
            return Finish(probe, std::move(result));
        }

        HttpRequest request;
        probe.connectOnly = scheme != "http" && scheme != "https";
        if (probe.connectOnly) {
            const auto target = ConnectTarget(check.address, scheme);
            if (!target)
                return Finish(probe, Unchecked("no port to probe"));
            probe.url = *target;
            request.method = HttpMethod::ConnectOnly;
        } else {
            probe.url = check.address;
            request.userAgent = "Mozilla/5.0";
            // Redirects are looked at here, one by one, so none leads off http and https.
            request.maxRedirects = 0;
            request.bodyWanted = [&probe](long, std::string_view type, std::string_view first) {
                probe.firstByteMs = MillisecondsSince(probe.start);
                probe.readingPlaylist =
                    !probe.followedPlaylist &&
                    MayBePlaylist(type, probe.url, first.substr(0, kStreamSniffBytes));
                // A live stream never ends: its first bytes do.
                return static_cast<std::uint64_t>(probe.readingPlaylist
                                                      ? kMaxPlaylistBytes
                                                      : std::min(first.size(), kStreamSniffBytes));
            };
        }
        request.url = probe.url;
        request.schemes = "http,https";
        request.deadlineMs = remaining;
        request.connectTimeoutMs = remaining;
        // The player does not verify certificates either; a check should say what plays.
        request.verifyPeer = false;
        m_many.Add(std::move(request),
                   [this, &probe](HttpResponse response) { OnDone(probe, response); });
    }

    static ProbeResult Unchecked(std::string reason) {
        ProbeResult result;
        result.reason = std::move(reason);
        return result;
    }

    void Finish(Probe& probe, ProbeResult result) {
        --m_running;
        result.viaPlaylist = probe.followedPlaylist;
        for (const std::size_t index : probe.indexes) {
            m_report.results[index] = result;
            if (m_progress)
                m_progress(index, result);
        }
        StartNext();
    }

    FetchMany& m_many;
    const CheckOptions& m_options;
    const StreamChecker::ProgressFn& m_progress;
    CheckReport& m_report;
    std::vector<Probe>& m_probes;
    std::size_t m_running = 0;
    std::size_t m_next = 0;
    bool m_starting = false;
};

}  // namespace
StreamChecker::StreamChecker(CheckOptions options) : m_options(options) {
    m_options.concurrency = std::max(1, m_options.concurrency);
    m_options.timeoutMs = std::max(1L, m_options.timeoutMs);
    m_options.maxRedirects = std::max(0, m_options.maxRedirects);
}

CheckReport StreamChecker::Check(const std::vector<std::string>& addresses,
                                 const ProgressFn& progress) {
    CheckReport report;
    report.results.resize(addresses.size());
    for (auto& result : report.results)
        result.reason = "not checked";

    FetchMany many;
    {
        const std::lock_guard lock(m_mutex);
        m_running = &many;
    }
    struct Forget {
        StreamChecker& checker;
        ~Forget() {
            const std::lock_guard lock(checker.m_mutex);
            checker.m_running = nullptr;
        }
    } forget{*this};
    if (m_cancel)
        many.Cancel();

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

    CheckRun run(many, m_options, progress, report, probes);
    if (!m_cancel)
        run.StartNext();
    many.Run();
    report.cancelled = !run.AllKnown();
    return report;
}

void StreamChecker::Cancel() {
    m_cancel = true;
    const std::lock_guard lock(m_mutex);
    if (m_running)
        m_running->Cancel();
}

}  // namespace quorvel
