#include "shell/player/StreamRecorder.h"

#include "shell/player/MpvClient.h"
#include "shell/player/MpvSession.h"

#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>

namespace quorvel {
namespace {

enum Observed : std::uint64_t {
    kFileFormat = 1,
    kAudioCodec,
    kVideo,
    kAlbumArt,
    kTimePos,
    kNetwork
};
enum class Reply : std::uint64_t { Dump = 1, Begun };

std::uint64_t Tag(Reply kind, std::uint64_t serial) {
    return (serial << 8) | static_cast<std::uint64_t>(kind);
}

std::string Text(const mpv_event_property& property) {
    if (property.format != MPV_FORMAT_STRING || !property.data)
        return {};
    const char* value = *static_cast<char* const*>(property.data);
    return value ? value : "";
}

QString ReasonFor(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return StreamRecorder::tr("The disk is full.");
        case EFBIG:
            return StreamRecorder::tr("The file has reached the largest size allowed.");
        case EACCES:
        case EPERM:
        case EROFS:
            return StreamRecorder::tr("The folder cannot be written.");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

}  // namespace

StreamRecorder::StreamRecorder(MpvSession& session, QObject* parent) : QObject(parent) {
    m_client = std::make_unique<MpvClient>(session.Handle(), "recorder",
                                           [this](const mpv_event& event) { HandleEvent(event); });
    if (mpv_handle* h = m_client->Handle()) {
        mpv_observe_property(h, kFileFormat, "file-format", MPV_FORMAT_STRING);
        mpv_observe_property(h, kAudioCodec, "audio-codec-name", MPV_FORMAT_STRING);
        mpv_observe_property(h, kVideo, "vid", MPV_FORMAT_STRING);
        mpv_observe_property(h, kAlbumArt, "current-tracks/video/albumart", MPV_FORMAT_FLAG);
        mpv_observe_property(h, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
        // Streams are recorded; a local file is there already (and the engine keeps no
        // cache of one to write from).
        mpv_observe_property(h, kNetwork, "demuxer-via-network", MPV_FORMAT_FLAG);
        // A write that fails is told only in the engine's log.
        mpv_request_log_messages(h, "error");
    }
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &StreamRecorder::Measure);
}

StreamRecorder::~StreamRecorder() {
    // Ends the engine's writing, so the file gets its last bytes, before the engine goes.
    m_client.reset();
    DropEmptyFile();
}

void StreamRecorder::SetFolders(std::filesystem::path videos, std::filesystem::path music) {
    m_videos = std::move(videos);
    m_music = std::move(music);
}

bool StreamRecorder::CanRecord() const {
    return m_canRecord;
}

double StreamRecorder::Seconds() const {
    return m_state == State::Idle || !m_elapsed.isValid() ? 0.0 : m_elapsed.elapsed() / 1000.0;
}

std::filesystem::path StreamRecorder::FolderFor(bool video) const {
    const std::filesystem::path& chosen = video ? m_videos : m_music;
    if (!chosen.empty())
        return chosen;
    QString folder = QStandardPaths::writableLocation(video ? QStandardPaths::MoviesLocation
                                                            : QStandardPaths::MusicLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    return folder.toStdString();
}

void StreamRecorder::Start(const QString& channelName) {
    if (IsRecording() || !CanRecord() || !m_client->Handle())
        return;
    // Past a size limit the kernel would end the whole program; a failed write is enough.
    std::signal(SIGXFSZ, SIG_IGN);
    ++m_serial;
    m_writeFailed = false;
    m_stopWanted = false;
    m_bytes = 0;
    m_stream.hasVideo = m_videoTrack && !m_albumArt;
    const std::filesystem::path folder = FolderFor(m_stream.hasVideo);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    const ReservedFile file = ReserveRecordingFile(
        folder, RecordingBaseName(channelName.toStdString(), local), RecordingExtension(m_stream));
    if (file.error) {
        m_path = folder;
        Fail(ReasonFor(file.error));
        return;
    }
    m_path = file.path;
    m_reserved = true;
    const std::string from =
        std::to_string(std::isfinite(m_position) ? m_position - kBackSeconds : 0.0);
    const std::string path = m_path.string();
    const char* dump[] = {"dump-cache", from.c_str(), "no", path.c_str(), nullptr};
    mpv_handle* h = m_client->Handle();
    if (mpv_command_async(h, Tag(Reply::Dump, m_serial), dump) < 0) {
        Fail(tr("The media engine cannot record this stream."));
        return;
    }
    // Answered once the engine runs the command above: what it held is written by then, and
    // from then on it can be stopped.
    mpv_get_property_async(h, Tag(Reply::Begun, m_serial), "time-pos", MPV_FORMAT_DOUBLE);
    m_elapsed.start();
    SetState(State::Starting);
}

void StreamRecorder::Stop() {
    m_stopWanted = true;
    Abort();
}

void StreamRecorder::Abort() {
    if (m_state != State::Recording)
        return;
    mpv_abort_async_command(m_client->Handle(), Tag(Reply::Dump, m_serial));
    SetState(State::Stopping);
}

void StreamRecorder::HandleEvent(const mpv_event& event) {
    const auto kind = static_cast<Reply>(event.reply_userdata & 0xFF);
    const bool current = (event.reply_userdata >> 8) == m_serial;
    switch (event.event_id) {
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto& property = *static_cast<const mpv_event_property*>(event.data);
            switch (event.reply_userdata) {
                case kFileFormat:
                    m_stream.fileFormat = Text(property);
                    break;
                case kAudioCodec:
                    m_stream.audioCodec = Text(property);
                    break;
                case kVideo: {
                    const std::string vid = Text(property);
                    m_videoTrack = !vid.empty() && vid != "no";
                    break;
                }
                case kAlbumArt:
                    m_albumArt = property.format == MPV_FORMAT_FLAG &&
                                 *static_cast<const int*>(property.data) != 0;
                    break;
                case kNetwork:
                    m_network = property.format == MPV_FORMAT_FLAG &&
                                *static_cast<const int*>(property.data) != 0;
                    break;
                case kTimePos:
                    m_position = property.format == MPV_FORMAT_DOUBLE
                                     ? *static_cast<const double*>(property.data)
                                     : std::nan("");
                    break;
                default:
                    break;
            }
            const bool can = m_network && !m_stream.fileFormat.empty() &&
                             (m_videoTrack || !m_stream.audioCodec.empty()) &&
                             std::isfinite(m_position);
            if (can != m_canRecord) {
                m_canRecord = can;
                Q_EMIT CanRecordChanged(can);
            }
            break;
        }
        case MPV_EVENT_GET_PROPERTY_REPLY:
            if (kind == Reply::Begun && current && m_state == State::Starting) {
                SetState(State::Recording);
                Measure();
                m_tick.start();
                Q_EMIT Started(FilePath());
                if (m_stopWanted || m_writeFailed)
                    Abort();
            }
            break;
        case MPV_EVENT_COMMAND_REPLY:
            if (kind == Reply::Dump && current && m_state != State::Idle)
                OnDumpEnded(event.error);
            break;
        case MPV_EVENT_LOG_MESSAGE: {
            const auto& message = *static_cast<const mpv_event_log_message*>(event.data);
            if (m_state != State::Idle && std::string_view(message.prefix) == "recorder" &&
                message.log_level <= MPV_LOG_LEVEL_ERROR) {
                m_writeFailed = true;
                Abort();
            }
            break;
        }
        default:
            break;
    }
}

void StreamRecorder::OnDumpEnded(int error) {
    m_tick.stop();
    Measure();
    if (m_writeFailed || error < 0) {
        Fail(WriteFailureReason());
        return;
    }
    if (m_bytes == 0) {
        Fail(tr("The stream sent nothing to record."));
        return;
    }
    m_reserved = false;
    SetState(State::Idle);
    Q_EMIT Finished(FilePath());
}

QString StreamRecorder::WriteFailureReason() const {
    // The engine tells only that a write failed. Writing on shows why (a write that crosses
    // a limit is cut short first, the next one fails); what was added is taken back.
    int error = 0;
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return ReasonFor(errno);
    struct stat st = {};
    if (::fstat(fd, &st) == 0) {
        static const char kZeros[64 * 1024] = {};
        for (int i = 0; i < 16 && !error; ++i) {
            if (::write(fd, kZeros, sizeof kZeros) < 0)
                error = errno;
        }
        if (::ftruncate(fd, st.st_size) != 0 && !error)
            error = errno;
    }
    ::close(fd);
    return error ? ReasonFor(error) : tr("The file could not be written.");
}

void StreamRecorder::Fail(const QString& reason) {
    m_tick.stop();
    DropEmptyFile();
    SetState(State::Idle);
    Q_EMIT Failed(FilePath(), reason);
}

void StreamRecorder::DropEmptyFile() {
    // Only the file reserved for this recording, and only while nothing is in it.
    struct stat st = {};
    if (std::exchange(m_reserved, false) && ::lstat(m_path.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_size == 0) {
        ::unlink(m_path.c_str());
    }
}

void StreamRecorder::SetState(State state) {
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT StateChanged();
}

void StreamRecorder::Measure() {
    struct stat st = {};
    if (::stat(m_path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        m_bytes = st.st_size;
    Q_EMIT Progress(Seconds(), m_bytes);
}

}  // namespace quorvel
