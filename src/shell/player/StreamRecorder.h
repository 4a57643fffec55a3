#pragma once

#include "playback/RecordingName.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>

struct mpv_event;

namespace quorvel {

class MpvClient;
class MpvSession;

// Records what plays, as the engine receives it (no re-encoding), starting with what it
// still holds of the last kBackSeconds before the press. A recording ends with a complete
// file when it is stopped, when the stream ends, fails or changes, and when the recorder goes.
// A write that fails (full disk, size limit) ends it with the reason; playback goes on.
// The engine (libmpv 0.35) keeps the 104-byte packet struct of every packet it writes to a
// recording until the program ends, whether the dump has an end or is stopped: about 0.3 MB
// a recorded minute of radio, 0.5 MB of television (bench_ui_player_cpu, RecordingMemory).
class StreamRecorder : public QObject {
    Q_OBJECT
public:
    static constexpr double kBackSeconds = 60.0;
    enum class State { Idle, Starting, Recording, Stopping };

    explicit StreamRecorder(MpvSession& session, QObject* parent = nullptr);
    ~StreamRecorder() override;

    // Where recordings go; empty takes the user's videos and music folders.
    void SetFolders(std::filesystem::path videos, std::filesystem::path music);
    // Something plays whose kind the engine has told.
    bool CanRecord() const;
    // Returns at once; Started or Failed follows.
    void Start(const QString& channelName);
    void Stop();

    State CurrentState() const { return m_state; }
    bool IsRecording() const { return m_state != State::Idle; }
    QString FilePath() const { return QString::fromStdString(m_path.string()); }
    // How long the recording runs, and how big its file is.
    double Seconds() const;
    std::int64_t Bytes() const { return m_bytes; }

Q_SIGNALS:
    // What the engine held has been written; new data follows as it arrives.
    void Started(const QString& path);
    // Once a second while recording, with the file's size.
    void Progress(double seconds, qint64 bytes);
    void Finished(const QString& path);
    void Failed(const QString& path, const QString& reason);
    void StateChanged();
    void CanRecordChanged(bool can);

private:
    void HandleEvent(const mpv_event& event);
    void OnDumpEnded(int error);
    void Fail(const QString& reason);
    void SetState(State state);
    void Measure();
    void Abort();
    void DropEmptyFile();
    QString WriteFailureReason() const;
    std::filesystem::path FolderFor(bool video) const;

    std::unique_ptr<MpvClient> m_client;
    State m_state = State::Idle;
    bool m_stopWanted = false;
    bool m_writeFailed = false;
    std::uint64_t m_serial = 0;
    RecordedStream m_stream;
    bool m_albumArt = false;
    bool m_videoTrack = false;
    bool m_network = false;
    double m_position = std::nan("");
    bool m_canRecord = false;
    std::filesystem::path m_videos;
    std::filesystem::path m_music;
    std::filesystem::path m_path;
    // The file was made for this recording (and may go again while empty).
    bool m_reserved = false;
    std::int64_t m_bytes = 0;
    QElapsedTimer m_elapsed;
    QTimer m_tick;
};

}  // namespace quorvel
