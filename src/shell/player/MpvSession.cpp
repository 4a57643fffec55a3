#include "shell/player/MpvSession.h"

#include <QMetaObject>
#include <QStringList>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string_view>

namespace quorvel {
namespace {

enum PropertyId : std::uint64_t {
    kTimePos = 1,
    kDuration,
    kPause,
    kVolume,
    kMute,
    kIdleActive,
};

// Nested opens (HLS segments, RTSP transports) of a network address stay on the network.
constexpr const char* kNetworkProtocolWhitelist =
    "protocol_whitelist=[http,https,tcp,tls,crypto,data,httpproxy,udp,rtp,srtp,rtsp,rtsps,"
    "rtmp,rtmps,rtmpt,rtmpts,mmsh,mmst,hls]";

bool IsNoise(std::string_view prefix, std::string_view text) {
    // A missing sound device is no reason to give up a stream: the engine plays on.
    if (prefix == "ao" || prefix.rfind("ao/", 0) == 0 || prefix == "ytdl_hook")
        return true;
    return text.find("audio device") != std::string_view::npos ||
           text.find("audio output") != std::string_view::npos;
}

}  // namespace

MpvSession::MpvSession(const SessionOptions& options, QObject* parent) : QObject(parent) {
    Initialize(options);
}

MpvSession::~MpvSession() {
    if (m_handle)
        mpv_set_wakeup_callback(m_handle.get(), nullptr, nullptr);
}

void MpvSession::Initialize(const SessionOptions& options) {
    // The engine parses numbers with the C library and refuses to start otherwise.
    std::setlocale(LC_NUMERIC, "C");
    MpvHandle handle(mpv_create());
    if (!handle) {
        m_startError = tr("The media engine could not be created.");
        return;
    }
    mpv_handle* h = handle.get();
    const std::string timeout = std::to_string(options.networkTimeoutSeconds);
    const std::pair<const char*, std::string> settings[] = {
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        {"load-unsafe-playlists", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"loop-file", "no"},
        {"loop-playlist", "no"},
        {"speed", "1"},
        {"volume", "50"},
        {"volume-max", "100"},
        {"mute", "no"},
        {"keepaspect", "yes"},
        {"osd-level", "0"},
        {"hwdec", "no"},
        {"gpu-hwdec-interop", "no"},
        {"network-timeout", timeout},
        {"vo", options.video == VideoOutput::Render ? "libmpv" : "null"},
    };
    for (const auto& [name, value] : settings) {
        // Options that a build of the engine lacks are not worth failing for.
        mpv_set_option_string(h, name, value.c_str());
    }
    if (!options.audioOutput.empty())
        mpv_set_option_string(h, "ao", options.audioOutput.c_str());
    if (const int error = mpv_initialize(h); error < 0) {
        m_startError = tr("The media engine could not start: %1").arg(mpv_error_string(error));
        return;
    }
    mpv_request_log_messages(h, "warn");
    mpv_observe_property(h, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(h, kVolume, "volume", MPV_FORMAT_DOUBLE);
    mpv_observe_property(h, kMute, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(h, kIdleActive, "idle-active", MPV_FORMAT_FLAG);
    mpv_hook_add(h, 0, "on_load", 0);
    // Called on an engine thread: only hand the work to the GUI thread.
    mpv_set_wakeup_callback(
        h,
        [](void* self) {
            QMetaObject::invokeMethod(static_cast<MpvSession*>(self), &MpvSession::DrainEvents,
                                      Qt::QueuedConnection);
        },
        this);
    m_handle = std::move(handle);
}

void MpvSession::Command(std::initializer_list<const char*> args) {
    if (!m_handle)
        return;
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    mpv_command(m_handle.get(), argv.data());
}

void MpvSession::Load(const std::string& address, PlaylistOrigin origin) {
    if (!m_handle) {
        Q_EMIT Failed(m_startError);
        return;
    }
    m_phase = Phase::Loading;
    m_address = address;
    m_origin = origin;
    m_seenOurStart = false;
    m_failurePending = false;
    m_errors.clear();
    m_refusal.clear();
    m_opened.clear();
    m_endError.clear();
    // A new address plays at once, even when the last one was left paused.
    int playing = 0;
    mpv_set_property(m_handle.get(), "pause", MPV_FORMAT_FLAG, &playing);
    const char* argv[] = {"loadfile", address.c_str(), "replace", nullptr};
    MpvNodeResult result;
    const int error = mpv_command_ret(m_handle.get(), argv, &result.node);
    m_entryId = -1;
    if (error >= 0 && result.node.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list& map = *result.node.u.list;
        for (int i = 0; i < map.num; ++i) {
            if (std::strcmp(map.keys[i], "playlist_entry_id") == 0 &&
                map.values[i].format == MPV_FORMAT_INT64) {
                m_entryId = map.values[i].u.int64;
            }
        }
    }
    if (error < 0) {
        m_phase = Phase::Idle;
        Q_EMIT Failed(QString::fromUtf8(mpv_error_string(error)));
    }
}

void MpvSession::Stop() {
    const bool wasActive = m_phase != Phase::Idle;
    m_phase = Phase::Idle;
    m_failurePending = false;
    Command({"stop"});
    if (wasActive)
        Q_EMIT Ended();
}

void MpvSession::SetPaused(bool paused) {
    if (!m_handle)
        return;
    int flag = paused ? 1 : 0;
    mpv_set_property_async(m_handle.get(), 0, "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvSession::TogglePaused() {
    if (!m_handle)
        return;
    const char* argv[] = {"cycle", "pause", nullptr};
    mpv_command_async(m_handle.get(), 0, argv);
}

void MpvSession::Seek(double seconds) {
    if (!m_handle || !std::isfinite(seconds))
        return;
    const std::string target = std::to_string(seconds);
    const char* argv[] = {"seek", target.c_str(), "absolute", nullptr};
    mpv_command_async(m_handle.get(), 0, argv);
}

void MpvSession::SetVolume(int volume) {
    if (!m_handle)
        return;
    double value = std::clamp(volume, 0, 100);
    mpv_set_property_async(m_handle.get(), 0, "volume", MPV_FORMAT_DOUBLE, &value);
}

void MpvSession::SetMuted(bool muted) {
    if (!m_handle)
        return;
    int flag = muted ? 1 : 0;
    mpv_set_property_async(m_handle.get(), 0, "mute", MPV_FORMAT_FLAG, &flag);
}

void MpvSession::DrainEvents() {
    if (!m_handle)
        return;
    while (true) {
        const mpv_event* event = mpv_wait_event(m_handle.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        HandleEvent(*event);
    }
    // The reason for a failure often arrives in log lines after the end of the file, so
    // it is reported only once the queue is empty.
    if (m_failurePending) {
        m_failurePending = false;
        m_phase = Phase::Idle;
        Q_EMIT Failed(FailureReason());
    }
}

void MpvSession::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_START_FILE: {
            ++m_startedFiles;
            const auto* start = static_cast<const mpv_event_start_file*>(event.data);
            if (start && start->playlist_entry_id == m_entryId)
                m_seenOurStart = true;
            break;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (m_seenOurStart && end && end->reason == MPV_END_FILE_REASON_ERROR) {
                m_endError = mpv_error_string(end->error);
            }
            break;
        }
        case MPV_EVENT_PLAYBACK_RESTART:
            if (m_phase == Phase::Loading && m_seenOurStart) {
                m_phase = Phase::Playing;
                Q_EMIT Started();
            }
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            HandlePropertyChange(*static_cast<const mpv_event_property*>(event.data));
            break;
        case MPV_EVENT_LOG_MESSAGE:
            HandleLog(*static_cast<const mpv_event_log_message*>(event.data));
            break;
        case MPV_EVENT_HOOK:
            HandleLoadHook(static_cast<const mpv_event_hook*>(event.data)->id);
            break;
        default:
            break;
    }
}

void MpvSession::HandlePropertyChange(const mpv_event_property& property) {
    const bool isDouble = property.format == MPV_FORMAT_DOUBLE && property.data;
    const bool isFlag = property.format == MPV_FORMAT_FLAG && property.data;
    const double number = isDouble ? *static_cast<const double*>(property.data) : 0.0;
    const bool flag = isFlag && *static_cast<const int*>(property.data) != 0;
    const std::string_view name = property.name;
    if (name == "time-pos") {
        m_position = number;
        Q_EMIT PositionChanged(m_position);
    } else if (name == "duration") {
        m_duration = number;
        Q_EMIT DurationChanged(m_duration);
    } else if (name == "pause" && isFlag) {
        m_paused = flag;
        Q_EMIT PauseChanged(m_paused);
    } else if (name == "volume" && isDouble) {
        m_volume = static_cast<int>(std::lround(number));
        Q_EMIT VolumeChanged(m_volume);
    } else if (name == "mute" && isFlag) {
        m_muted = flag;
        Q_EMIT MuteChanged(m_muted);
    } else if (name == "idle-active" && isFlag && flag && m_seenOurStart) {
        // Idle again: after playing that is the end; without having played, a failure,
        // even when the engine gave no error (an empty or wholly refused playlist).
        if (m_phase == Phase::Loading) {
            m_failurePending = true;
        } else if (m_phase == Phase::Playing) {
            m_phase = Phase::Idle;
            Q_EMIT Ended();
        }
    }
}

void MpvSession::HandleLog(const mpv_event_log_message& message) {
    if (m_phase != Phase::Loading)
        return;
    std::string_view text = message.text ? message.text : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    const std::string_view prefix = message.prefix ? message.prefix : "";
    // Warnings only from the network layer: that is where "HTTP error 404" is told.
    if (message.log_level > MPV_LOG_LEVEL_ERROR && prefix != "ffmpeg")
        return;
    if (text.empty() || IsNoise(prefix, text))
        return;
    for (const auto& known : m_errors) {
        if (known == text)
            return;
    }
    if (m_errors.size() < 6)
        m_errors.emplace_back(text);
}

void MpvSession::HandleLoadHook(std::uint64_t hookId) {
    char* path = mpv_get_property_string(m_handle.get(), "stream-open-filename");
    const std::string target = path ? path : "";
    mpv_free(path);
    if (!m_opened.insert(target).second) {
        m_refusal = "The playlist leads back to \"" + target + "\", which was opened already.";
        Command({"playlist-remove", "current"});
    } else if (target != m_address) {
        // An entry of a playlist: it must pass the same check as any address, and a
        // playlist from the network never leads to local files or devices.
        const AddressCheck check = CheckAddress(target);
        if (!EntryAllowed(check, m_origin)) {
            m_refusal = check.kind == AddressKind::LocalPath
                            ? "The playlist leads to the local file \"" + target +
                                  "\", which a playlist from the network may not open."
                            : "The playlist leads to \"" + target + "\": " + check.reason;
            Command({"playlist-remove", "current"});
        } else if (check.kind == AddressKind::LocalPath) {
            if (std::string problem = LocalPathProblem(check.address); !problem.empty()) {
                m_refusal = "The playlist leads to \"" + target + "\". " + problem;
                Command({"playlist-remove", "current"});
            }
        }
    }
    if (m_origin == PlaylistOrigin::Network) {
        mpv_set_property_string(m_handle.get(), "file-local-options/demuxer-lavf-o",
                                kNetworkProtocolWhitelist);
    }
    mpv_hook_continue(m_handle.get(), hookId);
}

QString MpvSession::FailureReason() const {
    QStringList lines;
    if (!m_refusal.empty())
        lines << QString::fromStdString(m_refusal);
    for (const auto& line : m_errors)
        lines << QString::fromStdString(line);
    if (lines.isEmpty() && !m_endError.empty())
        lines << QString::fromStdString(m_endError);
    if (lines.isEmpty())
        lines << tr("Nothing in it could be played.");
    return lines.join('\n');
}

}  // namespace quorvel
