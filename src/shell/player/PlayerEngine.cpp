#include "shell/player/PlayerEngine.h"

#include "shell/player/FileNameText.h"
#include "shell/player/MpvSession.h"
#include "shell/player/ResolveWorker.h"

#include <utility>

namespace quorvel {
namespace {

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
      m_resolver(new ResolveWorker(this)),
      m_reconnect(options.reconnectDelayMs) {
    m_watchdog.setSingleShot(true);
    // A little beyond the engine's own network timeout, so its reason wins when it has one.
    m_watchdog.setInterval((options.networkTimeoutSeconds + 5) * 1000);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        if (!m_opening)
            return;
        m_resolver->Cancel();
        Fail(tr("No answer within %1 seconds.").arg(m_watchdog.interval() / 1000));
    });
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, [this] {
        if (m_reconnecting)
            BeginOpen();
    });
    connect(m_session, &MpvSession::Started, this, &PlayerEngine::OnSessionStarted);
    connect(m_session, &MpvSession::Opened, this, [this] {
        if (m_opening && m_loaded)
            SetStage(Stage::Loading);
    });
    connect(m_session, &MpvSession::Failed, this, &PlayerEngine::OnSessionFailed);
    connect(m_session, &MpvSession::Ended, this, &PlayerEngine::OnSessionEnded);
    connect(m_session, &MpvSession::Interrupted, this, &PlayerEngine::OnInterrupted);
    connect(m_session, &MpvSession::Dropped, this, &PlayerEngine::OnDropped);
    connect(m_session, &MpvSession::WindowsPlaylistMet, this, &PlayerEngine::OnWindowsPlaylistMet);
    connect(m_resolver, &ResolveWorker::Finished, this, &PlayerEngine::OnResolved);
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
    m_resolver->Cancel();
    m_opening = true;
    m_loaded = false;
    m_fallbackTried = false;
    m_fetched.clear();
    m_depth = 0;
    m_watchdog.start();
    m_sinceOpen.start();
    SetStage(Stage::Connecting);
    // A reopen starts from the address the user chose: radio playlists hand out the
    // server that takes listeners now, and the one that dropped may not be among them.
    StartResolve([address = TextToFileName(m_userAddress)](AddressResolver& resolver) {
        return resolver.Resolve(address, 0);
    });
}

void PlayerEngine::Stop() {
    const bool waiting = m_reconnectTimer.isActive();
    CancelReconnect();
    m_reconnect.Forget();
    ++m_ticket;
    m_resolver->Cancel();
    m_watchdog.stop();
    m_opening = false;
    m_session->Stop();
    SetStage(Stage::Idle);
    // The engine let go of the dropped stream already and says nothing more about it.
    if (waiting)
        Q_EMIT Ended();
}

void PlayerEngine::StartResolve(std::function<Resolution(AddressResolver&)> job) {
    const long deadlineMs = m_options.networkTimeoutSeconds * 1000L;
    // What needs no server (a local file, a plain stream) is settled here at once: an open
    // waits for no thread, and reaches the engine before anything opened after it.
    AddressResolver atOnce(deadlineMs, nullptr, m_fetched, AddressResolver::Fetching::Later);
    const Resolution now = job(atOnce);
    if (!now.needsNetwork) {
        Apply(now);
        return;
    }
    SetStage(Stage::ReadingPlaylist);
    m_resolver->Start(std::move(job), deadlineMs, m_fetched, m_ticket);
}

void PlayerEngine::OnResolved(quint64 ticket, const Resolution& result) {
    if (ticket != m_ticket || !m_opening || result.cancelled)
        return;
    Apply(result);
}

void PlayerEngine::Apply(const Resolution& result) {
    m_depth = result.depth;
    m_fetched = result.fetched;
    if (result.failed) {
        Fail(QString::fromStdString(result.failure));
        return;
    }
    if (result.lookedAt)
        m_fallbackTried = true;
    Play(result.play, result.origin);
}

void PlayerEngine::Play(const std::vector<std::string>& addresses, PlaylistOrigin origin) {
    m_playingAddress = addresses.front();
    m_loaded = true;
    m_sinceLoad.start();
    SetStage(Stage::Connecting);
    m_session->Load(addresses, origin);
}

void PlayerEngine::OnWindowsPlaylistMet(const QString& address, PlaylistOrigin) {
    // The engine let the entry pass only where its playlist may lead.
    if (m_opening && m_loaded) {
        StartResolve([address = address.toStdString(), depth = m_depth + 1](
                         AddressResolver& resolver) { return resolver.Resolve(address, depth); });
    }
}

void PlayerEngine::OnInterrupted(const QString& reason) {
    if (m_opening)
        return;
    m_interrupted = true;
    m_session->Stop();
    m_interrupted = false;
    Report(tr("The stream broke off while playing.") +
           (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
}

void PlayerEngine::OnDropped(const QString& reason, double playedSeconds) {
    if (m_opening)
        return;
    // Let it end as files do; the engine says so once it is idle.
    if (playedSeconds >= 0 && m_reconnect.EndsWhereItEndedBefore(playedSeconds))
        return;
    m_reconnect.Played(m_sincePlaying.isValid() ? m_sincePlaying.elapsed() / 1000.0 : 0.0);
    // The engine would otherwise go on with the next backup entry of the same list.
    m_interrupted = true;
    m_session->Stop();
    m_interrupted = false;
    if (!m_reconnecting) {
        m_reconnecting = true;
        Q_EMIT ReconnectingChanged(true);
    }
    m_sinceOpen.start();
    RetryOrGiveUp(reason);
}

void PlayerEngine::RetryOrGiveUp(const QString& reason) {
    if (ScheduleReconnect())
        return;
    // It kept failing as soon as it was opened again.
    const int tries = m_reconnect.Tries();
    CancelReconnect();
    Report(
        tr("The stream broke off while playing, and %1 tries to open it again failed.").arg(tries) +
        QLatin1Char('\n') + reason);
}

bool PlayerEngine::ScheduleReconnect() {
    const std::optional<int> delay = m_reconnect.NextTry();
    if (!delay)
        return false;
    m_reconnectTimer.start(*delay);
    SetStage(Stage::WaitingToReconnect);
    Q_EMIT Reconnecting(m_reconnect.Tries(), *delay);
    return true;
}

void PlayerEngine::CancelReconnect() {
    m_reconnectTimer.stop();
    if (m_reconnecting) {
        m_reconnecting = false;
        Q_EMIT ReconnectingChanged(false);
    }
}

void PlayerEngine::OnSessionEnded() {
    if (m_reconnecting || m_interrupted)
        return;
    if (!m_opening)
        SetStage(Stage::Idle);
    Q_EMIT Ended();
}

void PlayerEngine::OnSessionStarted() {
    if (!m_opening || !m_loaded)
        return;
    m_opening = false;
    m_watchdog.stop();
    CancelReconnect();
    m_sincePlaying.start();
    SetStage(Stage::Playing);
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
        StartResolve([address = m_playingAddress, depth = m_depth,
                      reason = reason.toStdString()](AddressResolver& resolver) {
            return resolver.AfterEngineFailure(address, depth, reason);
        });
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
        Report(reason);
        return;
    }
    RetryOrGiveUp(reason);
}

void PlayerEngine::Report(const QString& reason) {
    m_failedAfterMs = WaitedMs();
    SetStage(Stage::Idle);
    Q_EMIT Failed(m_userAddress, reason);
}

void PlayerEngine::SetStage(Stage stage) {
    if (stage == m_stage)
        return;
    m_stage = stage;
    Q_EMIT StageChanged(stage);
}

}  // namespace quorvel
