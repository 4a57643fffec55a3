#pragma once

#include "playback/AddressPolicy.h"
#include "playback/ReconnectPolicy.h"
#include "shell/player/MidiStreamProtocol.h"
#include "shell/player/MpvHandle.h"
#include "shell/player/SessionOptions.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quorvel {

// One libmpv instance, hardened for addresses from a downloaded catalogue, with its events
// brought to the GUI thread. Knows nothing of windows: the player widget draws its
// pictures, and tests run it with no video and no audio output.
//
// The GUI thread is also the thread that draws the engine's pictures, so it only ever
// makes asynchronous calls into the engine: a synchronous one can wait for a picture that
// only this thread can draw. Every file the engine opens is checked before it opens,
// wherever it came from: the address set, or an entry of a playlist met on the way.
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
    // Plays the first of these that opens; the rest are tried in turn when one fails.
    void Load(const std::vector<std::string>& addresses, PlaylistOrigin origin);
    // Per-file options (loadfile's form) for every file of the loads that follow, until set
    // again; a channel's own user agent and referrer. Empty: none.
    void SetFileOptions(std::string options) { m_fileOptions = std::move(options); }
    void Stop();
    void SetPaused(bool paused);
    // Flips the engine's own state, so quick repeats never act on a stale one.
    void TogglePaused();
    void Seek(double seconds);
    void SetVolume(int volume);
    void SetMuted(bool muted);
    // Sets an engine property without waiting for it.
    void SetProperty(const char* name, const std::string& value);

    bool IsActive() const { return m_phase != Phase::Idle; }
    bool IsPlaying() const { return m_phase == Phase::Playing; }
    double Position() const { return m_position; }
    double Duration() const { return m_duration; }
    bool Paused() const { return m_paused; }
    int Volume() const { return m_volume; }
    bool Muted() const { return m_muted; }
    // Files the engine began to open since this session started (refused entries included).
    int StartedFiles() const { return m_startedFiles; }
    QString MediaTitle() const { return m_mediaTitle; }
    // No sound device could be opened: the engine plays on without sound. Only an output
    // the options asked for as silent ("null") is no such case.
    bool SoundUnavailable() const { return m_soundUnavailable; }
    // What plays has a picture (video, or a cover picture of a sound file).
    bool HasPicture() const { return m_hasPicture; }

    // Entries that failed or were refused before one played; past this the load fails.
    static constexpr int kMaxFailedEntries = 25;
    // The engine's "hwdec" value for decoding on the graphics card: every kind it knows
    // where NVIDIA's driver is installed, otherwise VA-API (Intel, AMD), copied back so it
    // works with any GL. Probing NVIDIA's decoders without its driver prints to stderr.
    static const char* HardwareDecoder();

Q_SIGNALS:
    // The engine opened the stream and reads its start; pictures and sound follow.
    void Opened();
    void Started();
    void Failed(const QString& reason);
    // Nothing plays any more: the end was reached or Stop was called.
    void Ended();
    // What played came to its own end; a playlist's next entry may follow.
    void EntryFinished();
    // A playing file stopped with an error half-way.
    void Interrupted(const QString& reason);
    // A playing stream without an end lost its connection or stopped sending; when it ran
    // out of data rather than failing, `playedSeconds` tells how far it played, else -1.
    void Dropped(const QString& reason, double playedSeconds);
    // A playlist led to a Windows playlist the engine cannot read; it was passed over.
    void WindowsPlaylistMet(const QString& address, PlaylistOrigin origin);
    void PositionChanged(double seconds);
    void DurationChanged(double seconds);
    void PauseChanged(bool paused);
    void VolumeChanged(int volume);
    void MuteChanged(bool muted);
    // The title the stream or file tells for what plays now; empty when it tells none.
    void MediaTitleChanged(const QString& title);
    void SoundUnavailableChanged(bool unavailable);
    void HasPictureChanged(bool picture);

private:
    enum class Phase { Idle, Loading, Playing };
    // What an answer from the engine is for; kept in the reply's user data.
    enum class Reply : std::uint64_t { None, Load, HookPath, HookSet };
    // A reply's user data: what it is for in the low byte, the load or hook it belongs to above.
    static std::uint64_t ReplyTag(Reply kind, std::uint64_t serial) {
        return (serial << 8) | static_cast<std::uint64_t>(kind);
    }

    struct Hook {
        std::uint64_t hookId = 0;
        std::uint64_t serial = 0;
        std::int64_t entryId = -1;
        std::string target;
        int pendingSets = 0;
        bool answered = false;
        bool decided = false;
    };
    // Playlist entries [first, first + count) came from a playlist of this origin.
    struct OriginRange {
        std::int64_t first = 0;
        std::int64_t count = 0;
        PlaylistOrigin origin = PlaylistOrigin::Network;
        // Loaded as it is, not met inside a playlist.
        bool direct = false;
    };

    // MpvSession.cpp: the engine's options and what is observed.
    void Initialize(const SessionOptions& options);
    // MpvSessionEvents.cpp: the engine's events on the GUI thread.
    void QueueDrain();
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    void HandleReply(const mpv_event& event);
    void HandleEndFile(const mpv_event_end_file& end);
    void HandlePropertyChange(const mpv_event_property& property);
    void HandleLog(const mpv_event_log_message& message);
    void HandleIdle();
    void HandleMetadata(const mpv_event_property& property);
    QString FailureReason() const;
    // MpvSessionHooks.cpp: every entry checked before it opens.
    void DecideHooks();
    void DecideHook(Hook& hook);
    void RefuseEntry(Hook& hook, std::string reason);
    void SetForEntry(Hook& hook, const char* name, const std::string& value);
    void ContinueHook(Hook& hook);
    const OriginRange* RangeOf(std::int64_t entryId) const;
    bool IsOurEntry(std::int64_t entryId) const;
    // MpvSessionCommands.cpp: what is asked of the engine.
    // Nothing plays and nothing of the last load is waited for.
    void Halt();
    void FailNow(const QString& reason);
    int CommandAsync(std::initializer_list<const char*> args, Reply reply = Reply::None);
    void LoadNextBatch();

    // Before the handle: the engine calls into it until the handle is destroyed.
    MidiStreamProtocol m_midi;
    MpvHandle m_handle;
    QString m_startError;
    std::atomic<bool> m_drainQueued = false;
    Phase m_phase = Phase::Idle;
    std::string m_address;
    // Answers to loadfile still to come: until then a new entry's origin is unknown.
    int m_loadRepliesDue = 0;
    // The addresses of this load, handed to the engine in batches; m_appended went so far.
    std::vector<std::string> m_toAppend;
    std::size_t m_appended = 0;
    std::string m_fileOptions;
    std::uint64_t m_loadSerial = 0;
    std::uint64_t m_hookSerial = 0;
    PlaylistOrigin m_pendingOrigin = PlaylistOrigin::Network;
    // The address of the entry that plays or opens now, after the check.
    std::string m_playingTarget;
    std::vector<OriginRange> m_origins;
    // What entries that passed the check may lead to in turn.
    std::map<std::int64_t, PlaylistOrigin> m_childOrigin;
    std::int64_t m_startedEntry = -1;
    std::int64_t m_checkedEntry = -1;
    std::deque<Hook> m_hooks;
    bool m_seenOurStart = false;
    bool m_failurePending = false;
    int m_failedEntries = 0;
    bool m_handedOver = false;
    std::vector<std::string> m_errors;
    std::string m_refusal;
    // Addresses this load has opened: a playlist naming one again would loop for ever.
    std::set<std::string> m_opened;
    std::string m_endError;
    // The private address a MIDI file of this load was handed to the engine as.
    std::string m_midiAddress;
    double m_position = 0.0;
    // The last position the engine told for what plays now; the position itself is
    // cleared when the file ends, maybe before its end is told.
    double m_playedTo = 0.0;
    double m_duration = 0.0;
    // Bytes of what plays, as the server told them; -1 for a stream without a length.
    std::int64_t m_fileSize = -1;
    ShortEndWatch m_shortEnd;
    bool m_paused = false;
    int m_volume = 50;
    bool m_muted = false;
    int m_startedFiles = 0;
    QString m_mediaTitle;
    // The output the options chose: "null" is silent on purpose.
    std::string m_audioOutput;
    bool m_soundUnavailable = false;
    bool m_hasPicture = false;
};

}  // namespace quorvel
