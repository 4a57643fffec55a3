#pragma once

#include "playback/AddressPolicy.h"
#include "playback/AddressResolver.h"
#include "playback/ReconnectPolicy.h"
#include "shell/player/SessionOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quorvel {

class MpvSession;
class ResolveWorker;

// From an address to sound and pictures: has the address resolved off the GUI thread,
// plays the first entry that passes,
// and turns every way of failing into one Failed signal within a bounded time. A live stream
// that drops while it plays is opened again a few times before it counts as failed.
class PlayerEngine : public QObject {
    Q_OBJECT
public:
    explicit PlayerEngine(const SessionOptions& options, QObject* parent = nullptr);
    ~PlayerEngine() override;

    MpvSession& Session() const { return *m_session; }

    // Returns at once; the address plays, replacing whatever played, or Failed follows.
    void Open(const QString& address);
    // Nothing plays afterwards; an open in progress or a reopen to come is abandoned.
    void Stop();

    QString CurrentAddress() const { return m_userAddress; }
    bool IsOpening() const { return m_opening; }
    // From a drop of a live stream until it plays again, fails for good, or the user acts.
    bool IsReconnecting() const { return m_reconnecting; }
    // The longest an open may take before it counts as failed.
    int OpenTimeoutMs() const { return m_watchdog.interval(); }

    // What an open waits for now, so the window can say so while the picture is still black.
    enum class Stage { Idle, ReadingPlaylist, Connecting, Loading, WaitingToReconnect, Playing };
    Stage CurrentStage() const { return m_stage; }
    // How long the open (or the reopen) that runs has waited so far, and how long the last
    // failed one had waited when it failed.
    qint64 WaitedMs() const { return m_sinceOpen.isValid() ? m_sinceOpen.elapsed() : 0; }
    qint64 FailedAfterMs() const { return m_failedAfterMs; }
    // Tries to reopen a dropped stream made so far, the one waited for included.
    int ReconnectTries() const { return m_reconnect.Tries(); }

Q_SIGNALS:
    void Started(const QString& address);
    void Failed(const QString& address, const QString& reason);
    // Not while a dropped stream is reopened: for the user it has not ended.
    void Ended();
    // Try `attempt` to reopen a dropped stream starts after delayMs.
    void Reconnecting(int attempt, int delayMs);
    void ReconnectingChanged(bool reconnecting);
    void StageChanged(PlayerEngine::Stage stage);

private:
    void StartResolve(std::function<Resolution(AddressResolver&)> job);
    void Play(const std::vector<std::string>& addresses, PlaylistOrigin origin);
    void OnResolved(quint64 ticket, const Resolution& result);
    void Apply(const Resolution& result);
    void OnSessionFailed(const QString& reason);
    void OnInterrupted(const QString& reason);
    void OnDropped(const QString& reason, double playedSeconds);
    void OnSessionEnded();
    void BeginOpen();
    bool ScheduleReconnect();
    // The next try when the policy allows one, else the failure with the tries made.
    void RetryOrGiveUp(const QString& reason);
    void CancelReconnect();
    void OnWindowsPlaylistMet(const QString& address, PlaylistOrigin origin);
    void OnSessionStarted();
    void Fail(const QString& reason);
    void Report(const QString& reason);
    void SetStage(Stage stage);

    SessionOptions m_options;
    MpvSession* m_session = nullptr;
    ResolveWorker* m_resolver = nullptr;
    QTimer m_watchdog;
    QTimer m_reconnectTimer;
    ReconnectPolicy m_reconnect;
    bool m_reconnecting = false;
    // A file broke off: stopping the engine ends it, but it did not play whole.
    bool m_interrupted = false;
    QElapsedTimer m_sinceLoad;
    QElapsedTimer m_sinceOpen;
    // Since the stream last began to play: a drop soon after counts as the same trouble.
    QElapsedTimer m_sincePlaying;
    qint64 m_failedAfterMs = 0;
    Stage m_stage = Stage::Idle;
    quint64 m_ticket = 0;
    QString m_userAddress;
    std::string m_playingAddress;
    // Playlists met so far on the way to the stream of this open.
    int m_depth = 0;
    // Playlists fetched for this open: one naming itself again would loop.
    std::set<std::string> m_fetched;
    bool m_opening = false;
    // The engine was handed this open's address: until then its news is about the last one.
    bool m_loaded = false;
    bool m_fallbackTried = false;
};

}  // namespace quorvel
