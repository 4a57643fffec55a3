#pragma once

#include "schedule/ScheduleEntry.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/StreamRecorder.h"

#include <QObject>
#include <QString>

#include <filesystem>

namespace quorvel {

// One scheduled recording on an engine client of its own, with no picture and no sound and
// nothing decoded that can be skipped: the stream is written as it arrives, as the player's
// recorder writes it (same folders, names and formats).
class ScheduledRecording : public QObject {
    Q_OBJECT
public:
    ScheduledRecording(const ScheduleEntry& entry, QObject* parent = nullptr);
    ~ScheduledRecording() override;

    // Where recordings go; empty takes the user's videos and music folders.
    void SetFolders(const std::filesystem::path& videos, const std::filesystem::path& music);
    // Opens the stream; the recording starts once the engine knows what it receives.
    void Start();
    // Ends the recording with a complete file; Finished or Failed follows.
    void Stop();

    std::uint64_t Id() const { return m_id; }
    QString FilePath() const { return m_path; }
    StreamRecorder& Recorder() { return m_recorder; }
    MpvSession& Session() { return m_engine.Session(); }

Q_SIGNALS:
    void Started(quint64 id, const QString& path);
    void Finished(quint64 id, const QString& path);
    // `path` names the file when one was kept.
    void Failed(quint64 id, const QString& path, const QString& reason);

private:
    void OnCanRecord(bool can);
    void OnRecorderFinished(const QString& path);
    void OnRecorderFailed(const QString& path, const QString& reason);
    void OnEngineFailed(const QString& reason);
    void End();

    std::uint64_t m_id = 0;
    QString m_channel;
    std::string m_address;
    std::string m_fileOptions;
    PlayerEngine m_engine;
    StreamRecorder m_recorder;
    QString m_path;
    bool m_stopWanted = false;
    bool m_ended = false;
};

}  // namespace quorvel
