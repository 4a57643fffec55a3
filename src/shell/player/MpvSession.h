#pragma once

#include "playback/AddressPolicy.h"
#include "shell/player/MpvHandle.h"
#include "shell/player/SessionOptions.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace quorvel {

// One libmpv instance, hardened for addresses from a downloaded catalogue, with its events
// brought to the GUI thread. Knows nothing of windows: the player widget draws its
// pictures, and tests run it with no video and no audio output.
class MpvSession : public QObject {
    Q_OBJECT
public:
    explicit MpvSession(const SessionOptions& options, QObject* parent = nullptr);
    ~MpvSession() override;

    bool IsValid() const { return m_handle != nullptr; }
    // Empty when valid; otherwise why the engine could not start.
    QString StartError() const { return m_startError; }
    mpv_handle* Handle() const { return m_handle.get(); }

    // Plays an address that has passed CheckAddress, replacing whatever played. Entries of
    // playlists it leads to are checked again before the engine opens them.
    void Load(const std::string& address, PlaylistOrigin origin);
    void Stop();
    void SetPaused(bool paused);
    // Flips the engine's own state, so quick repeats never act on a stale one.
    void TogglePaused();
    void Seek(double seconds);
    void SetVolume(int volume);
    void SetMuted(bool muted);

    bool IsActive() const { return m_phase != Phase::Idle; }
    bool IsPlaying() const { return m_phase == Phase::Playing; }
    double Position() const { return m_position; }
    double Duration() const { return m_duration; }
    bool Paused() const { return m_paused; }
    int Volume() const { return m_volume; }
    bool Muted() const { return m_muted; }
    // Files the engine began to open since this session started (refused entries included).
    int StartedFiles() const { return m_startedFiles; }

Q_SIGNALS:
    void Started();
    void Failed(const QString& reason);
    // Nothing plays any more: the end was reached or Stop was called.
    void Ended();
    void PositionChanged(double seconds);
    void DurationChanged(double seconds);
    void PauseChanged(bool paused);
    void VolumeChanged(int volume);
    void MuteChanged(bool muted);

private:
    enum class Phase { Idle, Loading, Playing };

    void Initialize(const SessionOptions& options);
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void HandlePropertyChange(const mpv_event_property& property);
    void HandleLog(const mpv_event_log_message& message);
    void HandleLoadHook(std::uint64_t hookId);
    QString FailureReason() const;
    void Command(std::initializer_list<const char*> args);

    MpvHandle m_handle;
    QString m_startError;
    Phase m_phase = Phase::Idle;
    std::string m_address;
    PlaylistOrigin m_origin = PlaylistOrigin::Network;
    std::int64_t m_entryId = -1;
    bool m_seenOurStart = false;
    bool m_failurePending = false;
    std::vector<std::string> m_errors;
    std::string m_refusal;
    // Addresses this load has opened: a playlist naming one again would loop for ever.
    std::set<std::string> m_opened;
    std::string m_endError;
    double m_position = 0.0;
    double m_duration = 0.0;
    bool m_paused = false;
    int m_volume = 50;
    bool m_muted = false;
    int m_startedFiles = 0;
};

}  // namespace quorvel
