#include "shell/schedule/ScheduledRecording.h"

#include "playlists/ChannelHeaders.h"
#include "shell/player/MpvSession.h"

namespace quorvel {
namespace {

SessionOptions Headless() {
    SessionOptions options;
    options.video = VideoOutput::Null;
    options.audioOutput = "null";
    options.hardwareDecoding = false;
    return options;
}

}  // namespace

ScheduledRecording::ScheduledRecording(const ScheduleEntry& entry, QObject* parent)
    : QObject(parent),
      m_id(entry.id),
      m_channel(QString::fromStdString(entry.channel)),
      m_address(entry.address),
      m_fileOptions(EngineFileOptions(entry.userAgent, entry.referrer)),
      m_engine(Headless()),
      m_recorder(m_engine.Session()) {
    // The tracks stay selected, so the engine reads and keeps every packet to write, but no
    // picture is decoded: nobody sees it.
    MpvSession& session = m_engine.Session();
    session.SetProperty("vd-lavc-skipframe", "all");
    session.SetProperty("vd-lavc-skipidct", "all");
    session.SetProperty("vd-lavc-skiploopfilter", "all");
    session.SetProperty("vd-lavc-threads", "1");
    connect(&m_recorder, &StreamRecorder::CanRecordChanged, this, &ScheduledRecording::OnCanRecord);
    connect(&m_recorder, &StreamRecorder::Started, this, [this](const QString& path) {
        m_path = path;
        Q_EMIT Started(m_id, path);
    });
    connect(&m_recorder, &StreamRecorder::Finished, this, &ScheduledRecording::OnRecorderFinished);
    connect(&m_recorder, &StreamRecorder::Failed, this, &ScheduledRecording::OnRecorderFailed);
    connect(&m_engine, &PlayerEngine::Failed, this,
            [this](const QString&, const QString& reason) { OnEngineFailed(reason); });
}

ScheduledRecording::~ScheduledRecording() = default;

void ScheduledRecording::SetFolders(const std::filesystem::path& videos,
                                    const std::filesystem::path& music) {
    m_recorder.SetFolders(videos, music);
}

void ScheduledRecording::Start() {
    m_engine.Session().SetFileOptions(m_fileOptions);
    m_engine.Open(QString::fromStdString(m_address));
}

void ScheduledRecording::Stop() {
    m_stopWanted = true;
    if (m_recorder.IsRecording()) {
        m_recorder.Stop();
        return;
    }
    OnEngineFailed(tr("The stream did not start before the programme ended."));
}

void ScheduledRecording::OnCanRecord(bool can) {
    if (can && !m_stopWanted && !m_ended && !m_recorder.IsRecording() && m_path.isEmpty())
        m_recorder.Start(m_channel);
}

void ScheduledRecording::OnRecorderFinished(const QString& path) {
    if (m_ended)
        return;
    End();
    if (m_stopWanted)
        Q_EMIT Finished(m_id, path);
    else
        Q_EMIT Failed(m_id, path, tr("The stream ended before the programme did."));
}

void ScheduledRecording::OnRecorderFailed(const QString& path, const QString& reason) {
    if (m_ended)
        return;
    End();
    // The recorder removes a file it made only while the file is empty.
    std::error_code error;
    const bool kept = std::filesystem::is_regular_file(path.toStdString(), error);
    Q_EMIT Failed(m_id, kept ? path : QString(), reason);
}

void ScheduledRecording::OnEngineFailed(const QString& reason) {
    if (m_ended || m_recorder.IsRecording())
        return;
    End();
    Q_EMIT Failed(m_id, QString(), reason);
}

void ScheduledRecording::End() {
    m_ended = true;
    m_engine.Stop();
}

}  // namespace quorvel
