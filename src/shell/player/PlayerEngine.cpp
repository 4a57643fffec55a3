#include "shell/player/PlayerEngine.h"

#include "files/FileIo.h"
#include "playback/HlsPlaylist.h"
#include "playback/WindowsPlaylist.h"
#include "shell/player/FileNameText.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlaylistFetcher.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace quorvel {
namespace {

constexpr int kMaxPlaylistDepth = 4;
constexpr std::uintmax_t kMaxPlaylistBytes = 1024 * 1024;

std::string ReadHead(const std::string& path, std::size_t size) {
    std::ifstream in(path, std::ios::binary);
    std::string head(size, '\0');
    in.read(head.data(), static_cast<std::streamsize>(size));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

// Failures where the server sent nothing worth a second look.
bool IsNetworkFailure(const QString& reason) {
    for (const char* marker : {"Connection refused", "HTTP error", "timed out", "Timeout",
                               "Failed to resolve", "not known", "No route"}) {
        if (reason.contains(QLatin1String(marker), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool IsHttp(const std::string& address) {
    const std::string scheme = SchemeOf(address);
    return scheme == "http" || scheme == "https";
}

}  // namespace

PlayerEngine::PlayerEngine(const SessionOptions& options, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_session(new MpvSession(options, this)),
      m_fetcher(new PlaylistFetcher(this)),
      m_reconnect(options.reconnectDelayMs) {
    m_watchdog.setSingleShot(true);
    // A little beyond the engine's own network timeout, so its reason wins when it has one.
    m_watchdog.setInterval((options.networkTimeoutSeconds + 5) * 1000);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        if (!m_opening)
            return;
        m_fetcher->Cancel();
        Fail(tr("No answer within %1 seconds.").arg(m_watchdog.interval() / 1000));
    });
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, [this] {
        if (m_reconnecting)
            BeginOpen();
    });
    connect(m_session, &MpvSession::Started, this, &PlayerEngine::OnSessionStarted);
    connect(m_session, &MpvSession::Failed, this, &PlayerEngine::OnSessionFailed);
    connect(m_session, &MpvSession::Ended, this, &PlayerEngine::OnSessionEnded);
    connect(m_session, &MpvSession::Interrupted, this, &PlayerEngine::OnInterrupted);
    connect(m_session, &MpvSession::Dropped, this, &PlayerEngine::OnDropped);
    connect(m_session, &MpvSession::WindowsPlaylistMet, this, &PlayerEngine::OnWindowsPlaylistMet);
    connect(m_fetcher, &PlaylistFetcher::Finished, this, &PlayerEngine::OnFetched);
}

PlayerEngine::~PlayerEngine() = default;

void PlayerEngine::Open(const QString& address) {
    CancelReconnect();
    m_reconnect.Forget();
    m_userAddress = address;
    BeginOpen();
}

void PlayerEngine::BeginOpen() {
    ++m_ticket;
    m_fetcher->Cancel();
    m_opening = true;
    m_loaded = false;
    m_fallbackTried = false;
    m_engineReason.clear();
    m_fetched.clear();
    m_watchdog.start();
    // A reopen starts from the address the user chose: radio playlists hand out the
    // server that takes listeners now, and the one that dropped may not be among them.
    Resolve(TextToFileName(m_userAddress), 0);
}

void PlayerEngine::Stop() {
    const bool waiting = m_reconnectTimer.isActive();
    CancelReconnect();
    m_reconnect.Forget();
    ++m_ticket;
    m_fetcher->Cancel();
    m_watchdog.stop();
    m_opening = false;
    m_session->Stop();
    // The engine let go of the dropped stream already and says nothing more about it.
    if (waiting)
        Q_EMIT Ended();
}

void PlayerEngine::Resolve(const std::string& address, int depth) {
    m_depth = depth;
    if (depth > kMaxPlaylistDepth) {
        Fail(tr("The playlists lead to further playlists too many times."));
        return;
    }
    const AddressCheck check = CheckAddress(address);
    if (check.kind == AddressKind::Refused) {
        Fail(QString::fromStdString(check.reason));
    } else if (check.kind == AddressKind::LocalPath) {
        ResolveLocal(check.address, depth);
    } else if (IsHttp(check.address) &&
               (IsPlaylistReadByPlayer(check.address) || HasHlsExtension(check.address))) {
        // The engine's HLS reader has no size cap: it gets only a playlist checked here.
        StartFetch(check.address, FetchPurpose::Playlist, depth);
    } else {
        Play({check.address}, PlaylistOrigin::Network);
    }
}

void PlayerEngine::ResolveLocal(const std::string& path, int depth) {
    // Reading a pipe or a terminal to look for a playlist could stop the window for ever,
    // and the engine would walk a folder with everything below it.
    if (const std::string problem = LocalPathProblem(path); !problem.empty()) {
        Fail(QString::fromStdString(problem));
        return;
    }
    // A look at the first bytes tells the playlists the engine cannot read from media.
    const bool byName = HasWindowsPlaylistExtension(path);
    if (!byName && !IsWindowsPlaylistFormat(DetectPlaylistFormat(ReadHead(path, 1024)))) {
        Play({path}, PlaylistOrigin::Local);
        return;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::string bytes;
    std::string error;
    if (ec || size > kMaxPlaylistBytes || !ReadWholeFile(path, bytes, error) ||
        !IsWindowsPlaylistFormat(DetectPlaylistFormat(bytes))) {
        Play({path}, PlaylistOrigin::Local);  // the engine will say what is wrong with it
        return;
    }
    ResolveEntries(ReadPlaylistEntries(bytes), path, depth);
}

void PlayerEngine::ResolveEntries(const std::vector<std::string>& entries, const std::string& base,
                                  int depth) {
    const PlaylistOrigin origin = CheckAddress(base).kind == AddressKind::LocalPath
                                      ? PlaylistOrigin::Local
                                      : PlaylistOrigin::Network;
    // Every entry that may be played, in order: when one fails the next is tried.
    std::vector<std::string> playable;
    for (const auto& entry : entries) {
        const AddressCheck check = CheckAddress(ResolvePlaylistEntry(base, entry));
        if (EntryAllowed(check, origin))
            playable.push_back(check.address);
    }
    if (playable.empty()) {
        Fail(tr("The playlist holds no address that can be played."));
    } else if (IsPlaylistReadByPlayer(playable.front())) {
        // The engine cannot read it: read it here.
        Resolve(playable.front(), depth + 1);
    } else {
        PlayEntries(std::move(playable), origin, depth);
    }
}

void PlayerEngine::PlayEntries(std::vector<std::string> playable, PlaylistOrigin origin,
                               int depth) {
    if (!HasHlsExtension(playable.front())) {
        Play(playable, origin);
        return;
    }
    // The engine's HLS reader has no size cap: the first is read here first, and the rest
    // wait in case it is refused.
    const std::string first = playable.front();
    m_hlsEntries = std::move(playable);
    m_hlsOrigin = origin;
    m_hlsTicket = m_ticket;
    StartFetch(first, FetchPurpose::Playlist, depth + 1);
}

void PlayerEngine::StartFetch(const std::string& url, FetchPurpose purpose, int depth) {
    if (purpose == FetchPurpose::Playlist && !m_fetched.insert(url).second) {
        Fail(tr("The playlist leads back to \"%1\", which was opened already.")
                 .arg(QString::fromStdString(url)));
        return;
    }
    m_fetchUrl = url;
    m_fetchPurpose = purpose;
    m_fetchDepth = depth;
    FetchLimits limits;
    limits.totalTimeoutMs = m_options.networkTimeoutSeconds * 1000L;
    limits.connectTimeoutMs = std::min(limits.connectTimeoutMs, limits.totalTimeoutMs);
    m_fetcher->Fetch(url, limits, m_ticket);
}

void PlayerEngine::OnFetched(quint64 ticket, const FetchedPlaylist& result) {
    if (ticket != m_ticket || !m_opening)
        return;
    // The entries this fetch was the check for, if it was one.
    std::vector<std::string> waiting = std::exchange(m_hlsEntries, {});
    if (m_hlsTicket != ticket)
        waiting.clear();
    const std::string base = result.finalUrl.isEmpty() ? m_fetchUrl : result.finalUrl.toStdString();
    if (result.isPlaylist) {
        std::vector<std::string> entries;
        entries.reserve(static_cast<std::size_t>(result.entries.size()));
        for (const QString& entry : result.entries)
            entries.push_back(entry.toStdString());
        ResolveEntries(entries, base, m_fetchDepth);
    } else if (m_fetchPurpose == FetchPurpose::Fallback) {
        Fail(result.ok ? m_engineReason : m_engineReason + QLatin1Char('\n') + result.error);
    } else if (!result.ok && waiting.size() > 1) {
        waiting.erase(waiting.begin());
        PlayEntries(std::move(waiting), m_hlsOrigin, m_fetchDepth - 1);
    } else if (!result.ok) {
        Fail(result.refusal.isEmpty() ? result.error : result.refusal);
    } else if (!waiting.empty()) {
        m_fallbackTried = true;
        Play(waiting, m_hlsOrigin);
    } else {
        // Named like a playlist but something else: let the engine try it.
        m_fallbackTried = true;
        Play({m_fetchUrl}, PlaylistOrigin::Network);
    }
}

void PlayerEngine::Play(const std::vector<std::string>& addresses, PlaylistOrigin origin) {
    m_playingAddress = addresses.front();
    m_loaded = true;
    m_sinceLoad.start();
    m_session->Load(addresses, origin);
}

void PlayerEngine::OnWindowsPlaylistMet(const QString& address, PlaylistOrigin) {
    // The engine let the entry pass only where its playlist may lead.
    if (m_opening && m_loaded)
        Resolve(address.toStdString(), m_depth + 1);
}

void PlayerEngine::OnInterrupted(const QString& reason) {
    if (m_opening)
        return;
    m_interrupted = true;
    m_session->Stop();
    m_interrupted = false;
    Q_EMIT Failed(m_userAddress, tr("The stream broke off while playing.") +
                                     (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
}

void PlayerEngine::OnDropped(const QString&, double playedSeconds) {
    if (m_opening)
        return;
    // Let it end as files do; the engine says so once it is idle.
    if (playedSeconds >= 0 && m_reconnect.EndsWhereItEndedBefore(playedSeconds))
        return;
    if (!m_reconnecting) {
        m_reconnecting = true;
        Q_EMIT ReconnectingChanged(true);
    }
    // The engine would otherwise go on with the next backup entry of the same list.
    m_session->Stop();
    ScheduleReconnect();
}

bool PlayerEngine::ScheduleReconnect() {
    const std::optional<int> delay = m_reconnect.NextTry();
    if (!delay)
        return false;
    m_reconnectTimer.start(*delay);
    Q_EMIT Reconnecting(m_reconnect.Tries(), *delay);
    return true;
}

void PlayerEngine::CancelReconnect() {
    m_reconnectTimer.stop();
    m_reconnect.Reset();
    if (m_reconnecting) {
        m_reconnecting = false;
        Q_EMIT ReconnectingChanged(false);
    }
}

void PlayerEngine::OnSessionEnded() {
    if (!m_reconnecting && !m_interrupted)
        Q_EMIT Ended();
}

void PlayerEngine::OnSessionStarted() {
    if (!m_opening || !m_loaded)
        return;
    m_opening = false;
    m_watchdog.stop();
    CancelReconnect();
    Q_EMIT Started(m_userAddress);
}

void PlayerEngine::OnSessionFailed(const QString& engineReason) {
    if (!m_opening || !m_loaded)
        return;
    QString reason = engineReason;
    // A server that let the engine wait out its whole timeout will not answer a second
    // look either; say so, as the engine only says that it could not open the address.
    const qint64 timeoutMs = m_options.networkTimeoutSeconds * 1000LL;
    if (!SchemeOf(m_playingAddress).empty() && m_sinceLoad.elapsed() >= timeoutMs - 300) {
        m_fallbackTried = true;
        if (!IsNetworkFailure(reason)) {
            reason += QLatin1Char('\n') + tr("The server did not answer within %1 seconds.")
                                              .arg(m_options.networkTimeoutSeconds);
        }
    }
    // Servers hand out "[Reference]" and ASX text under media names and types; the
    // engine cannot read those, so look at what the server sent before giving up.
    if (!m_fallbackTried && IsHttp(m_playingAddress) && !IsNetworkFailure(reason)) {
        m_fallbackTried = true;
        m_engineReason = reason;
        StartFetch(m_playingAddress, FetchPurpose::Fallback, m_depth);
        return;
    }
    Fail(reason);
}

void PlayerEngine::Fail(const QString& reason) {
    ++m_ticket;
    m_opening = false;
    m_watchdog.stop();
    m_session->Stop();
    if (!m_reconnecting) {
        Q_EMIT Failed(m_userAddress, reason);
        return;
    }
    if (ScheduleReconnect())
        return;
    const int tries = m_reconnect.Tries();
    CancelReconnect();
    Q_EMIT Failed(
        m_userAddress,
        tr("The stream broke off while playing, and %1 tries to open it again failed.").arg(tries) +
            QLatin1Char('\n') + reason);
}

}  // namespace quorvel
