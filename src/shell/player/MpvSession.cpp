#include "shell/player/MpvSession.h"

#include "midi/MidiFile.h"
#include "playback/ReconnectPolicy.h"
#include "playback/WindowsPlaylist.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QStringList>

#include <dlfcn.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
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
    kMetadata,
    kFileSize,
};

// Nested opens (HLS segments, RTSP transports) of a network address stay on the network.
constexpr const char* kNetworkProtocolWhitelist =
    "protocol_whitelist=[http,https,tcp,tls,crypto,data,httpproxy,udp,rtp,srtp,rtsp,rtsps,"
    "rtmp,rtmps,rtmpt,rtmpts,mmsh,mmst,hls]";

// A drain of the engine's events ends after this many, or this long, and lets the window
// breathe before the next: a playlist of thousands of failing entries sends a flood.
constexpr int kDrainEvents = 64;
constexpr qint64 kDrainMs = 4;
// The engine queues at most 1000 events per client: a playlist of thousands of entries is
// handed over in batches, each after the replies to the last, or the queue overflows and
// the load neither plays nor fails.
constexpr std::size_t kLoadBatch = 100;

// Without these the engine would run scripts, read the user's mpv configuration or start
// programs found on PATH: a build that cannot turn them off is not used.
constexpr const char* kHardeningOptions[] = {"config", "load-scripts", "ytdl",
                                             "input-default-bindings", "load-unsafe-playlists"};

bool IsNoise(std::string_view prefix, std::string_view text) {
    // A missing sound device is no reason to give up a stream: the engine plays on.
    if (prefix == "ao" || prefix.rfind("ao/", 0) == 0 || prefix == "ytdl_hook")
        return true;
    return text.find("audio device") != std::string_view::npos ||
           text.find("audio output") != std::string_view::npos;
}

bool HasNvidiaDriver() {
    static const bool present = [] {
        void* cuda = ::dlopen("libcuda.so.1", RTLD_LAZY | RTLD_LOCAL);
        if (cuda)
            ::dlclose(cuda);
        return cuda != nullptr;
    }();
    return present;
}

std::uint64_t Tag(int kind, std::uint64_t serial) {
    return (serial << 8) | static_cast<std::uint64_t>(kind);
}

}  // namespace

const char* MpvSession::HardwareDecoder() {
    return HasNvidiaDriver() ? "auto-safe" : "vaapi-copy";
}

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
        {"hwdec", options.hardwareDecoding ? HardwareDecoder() : "no"},
        // Only NVIDIA's decoders hand frames straight to GL here; loading the interop
        // without its driver prints "Cannot load libcuda.so.1".
        {"gpu-hwdec-interop", HasNvidiaDriver() ? "auto" : "no"},
        {"network-timeout", timeout},
        {"vo", options.video == VideoOutput::Render ? "libmpv" : "null"},
    };
    for (const auto& [name, value] : settings) {
        const int error = mpv_set_option_string(h, name, value.c_str());
        const bool required =
            std::any_of(std::begin(kHardeningOptions), std::end(kHardeningOptions),
                        [&](const char* option) { return std::strcmp(option, name) == 0; });
        // Other options that a build of the engine lacks are not worth failing for.
        if (error < 0 && required) {
            m_startError =
                tr("The media engine cannot be made safe: its option \"%1\" cannot "
                   "be set (%2).")
                    .arg(QString::fromUtf8(name), QString::fromUtf8(mpv_error_string(error)));
            return;
        }
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
    mpv_observe_property(h, kMetadata, "metadata", MPV_FORMAT_NODE);
    mpv_observe_property(h, kFileSize, "file-size", MPV_FORMAT_INT64);
    mpv_hook_add(h, 0, "on_load", 0);
    // Should the engine refuse it, MIDI files fail as an unknown format; nothing else changes.
    m_midi.Register(h);
    // Called on an engine thread: only hand the work to the GUI thread.
    mpv_set_wakeup_callback(
        h, [](void* self) { static_cast<MpvSession*>(self)->QueueDrain(); }, this);
    m_handle = std::move(handle);
}

int MpvSession::CommandAsync(std::initializer_list<const char*> args, Reply reply) {
    if (!m_handle)
        return MPV_ERROR_UNINITIALIZED;
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return mpv_command_async(m_handle.get(), Tag(static_cast<int>(reply), m_loadSerial),
                             argv.data());
}

void MpvSession::SetProperty(const char* name, const std::string& value) {
    CommandAsync({"set", name, value.c_str()});
}

void MpvSession::Load(const std::string& address, PlaylistOrigin origin) {
    Load(std::vector<std::string>{address}, origin);
}

void MpvSession::Load(const std::vector<std::string>& addresses, PlaylistOrigin origin) {
    if (!m_handle || addresses.empty()) {
        Q_EMIT Failed(m_handle ? tr("Nothing in it could be played.") : m_startError);
        return;
    }
    ++m_loadSerial;
    m_phase = Phase::Loading;
    m_address = addresses.front();
    m_loadRepliesDue = 0;
    m_toAppend.assign(addresses.begin(), addresses.end());
    m_appended = 0;
    m_origins.clear();
    m_childOrigin.clear();
    m_pendingOrigin = origin;
    m_seenOurStart = false;
    m_failurePending = false;
    m_failedEntries = 0;
    m_handedOver = false;
    m_errors.clear();
    m_refusal.clear();
    m_opened.clear();
    m_endError.clear();
    m_shortEnd.Reset();
    m_midiAddress.clear();
    m_playedTo = 0.0;
    // A new address plays at once, even when the last one was left paused.
    SetProperty("pause", "no");
    LoadNextBatch();
}

void MpvSession::LoadNextBatch() {
    const std::size_t end = std::min(m_toAppend.size(), m_appended + kLoadBatch);
    for (; m_appended < end; ++m_appended) {
        // Later batches may find the engine idle already; they must start it again.
        const char* mode = m_appended == 0 ? "replace" : "append-play";
        const int error =
            CommandAsync({"loadfile", m_toAppend[m_appended].c_str(), mode}, Reply::Load);
        if (error < 0 && m_appended == 0) {
            FailNow(QString::fromUtf8(mpv_error_string(error)));
            return;
        }
        if (error < 0) {
            // The engine takes no more: play what it has.
            m_appended = m_toAppend.size();
            break;
        }
        ++m_loadRepliesDue;
    }
    if (m_appended >= m_toAppend.size())
        m_toAppend.clear();
}

void MpvSession::Stop() {
    const bool wasActive = m_phase != Phase::Idle;
    Halt();
    if (wasActive)
        Q_EMIT Ended();
    DecideHooks();
}

void MpvSession::SetPaused(bool paused) {
    SetProperty("pause", paused ? "yes" : "no");
}

void MpvSession::TogglePaused() {
    CommandAsync({"cycle", "pause"});
}

void MpvSession::Seek(double seconds) {
    if (!std::isfinite(seconds))
        return;
    const std::string target = std::to_string(seconds);
    CommandAsync({"seek", target.c_str(), "absolute"});
}

void MpvSession::SetVolume(int volume) {
    SetProperty("volume", std::to_string(std::clamp(volume, 0, 100)));
}

void MpvSession::SetMuted(bool muted) {
    SetProperty("mute", muted ? "yes" : "no");
}

void MpvSession::QueueDrain() {
    // One drain waiting is enough: a call per wakeup, thousands of them for a long playlist,
    // would hold up the window as long as the events themselves.
    if (!m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(this, &MpvSession::DrainEvents, Qt::QueuedConnection);
}

void MpvSession::DrainEvents() {
    // Cleared first: a wakeup from now on asks for another drain.
    m_drainQueued = false;
    if (!m_handle)
        return;
    QElapsedTimer clock;
    clock.start();
    for (int handled = 0; handled < kDrainEvents; ++handled) {
        const mpv_event* event = mpv_wait_event(m_handle.get(), 0);
        if (event->event_id == MPV_EVENT_NONE) {
            // The reason for a failure often arrives in log lines after the end of the
            // file, so it is reported only once the queue is empty.
            if (m_failurePending) {
                m_failurePending = false;
                m_phase = Phase::Idle;
                Q_EMIT Failed(FailureReason());
            }
            return;
        }
        HandleEvent(*event);
        if (clock.elapsed() >= kDrainMs)
            break;
    }
    // More may wait: go on after whatever else the window has to do.
    QueueDrain();
}

void MpvSession::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_START_FILE: {
            ++m_startedFiles;
            m_shortEnd.Reset();
            if (const auto* start = static_cast<const mpv_event_start_file*>(event.data))
                m_startedEntry = start->playlist_entry_id;
            break;
        }
        case MPV_EVENT_END_FILE:
            if (const auto* end = static_cast<const mpv_event_end_file*>(event.data))
                HandleEndFile(*end);
            break;
        case MPV_EVENT_FILE_LOADED:
            // Only a file that passed the check may play; should the engine ever skip our
            // check (its queue full), the file is not played.
            if (m_phase != Phase::Idle && IsOurEntry(m_startedEntry) &&
                m_checkedEntry != m_startedEntry) {
                FailNow(tr("The address could not be checked before it opened."));
            }
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (m_phase == Phase::Loading && m_seenOurStart && m_checkedEntry == m_startedEntry) {
                m_phase = Phase::Playing;
                Q_EMIT Started();
            }
            break;
        case MPV_EVENT_IDLE:
            // The idle property may flip back and forth between two looks at it.
            HandleIdle();
            break;
        case MPV_EVENT_PROPERTY_CHANGE:
            HandlePropertyChange(*static_cast<const mpv_event_property*>(event.data));
            break;
        case MPV_EVENT_LOG_MESSAGE:
            HandleLog(*static_cast<const mpv_event_log_message*>(event.data));
            break;
        case MPV_EVENT_HOOK: {
            Hook hook;
            hook.hookId = static_cast<const mpv_event_hook*>(event.data)->id;
            hook.entryId = m_startedEntry;
            hook.serial = ++m_hookSerial;
            m_hooks.push_back(hook);
            mpv_get_property_async(m_handle.get(),
                                   Tag(static_cast<int>(Reply::HookPath), hook.serial),
                                   "stream-open-filename", MPV_FORMAT_STRING);
            break;
        }
        case MPV_EVENT_COMMAND_REPLY:
        case MPV_EVENT_GET_PROPERTY_REPLY:
        case MPV_EVENT_SET_PROPERTY_REPLY:
            HandleReply(event);
            break;
        default:
            break;
    }
}

void MpvSession::HandleReply(const mpv_event& event) {
    const auto kind = static_cast<Reply>(event.reply_userdata & 0xFF);
    const std::uint64_t serial = event.reply_userdata >> 8;
    if (kind == Reply::Load) {
        if (serial != m_loadSerial)
            return;  // an earlier load's: its entries are no longer ours
        --m_loadRepliesDue;
        if (m_loadRepliesDue == 0 && !m_toAppend.empty())
            LoadNextBatch();
        const auto* reply = static_cast<const mpv_event_command*>(event.data);
        if (event.error >= 0 && reply && reply->result.format == MPV_FORMAT_NODE_MAP) {
            const mpv_node_list& map = *reply->result.u.list;
            for (int i = 0; i < map.num; ++i) {
                if (std::strcmp(map.keys[i], "playlist_entry_id") == 0 &&
                    map.values[i].format == MPV_FORMAT_INT64) {
                    m_origins.push_back({map.values[i].u.int64, 1, m_pendingOrigin, true});
                }
            }
        } else if (event.error < 0 && m_phase == Phase::Loading && m_origins.empty() &&
                   m_loadRepliesDue == 0 && m_toAppend.empty()) {
            FailNow(QString::fromUtf8(mpv_error_string(event.error)));
        }
        DecideHooks();
        return;
    }
    for (auto& hook : m_hooks) {
        if (hook.serial != serial)
            continue;
        if (kind == Reply::HookPath) {
            const auto* property = static_cast<const mpv_event_property*>(event.data);
            if (event.error >= 0 && property && property->format == MPV_FORMAT_STRING &&
                property->data) {
                hook.target = *static_cast<const char* const*>(property->data);
            }
            hook.answered = true;
        } else if (kind == Reply::HookSet) {
            --hook.pendingSets;
        }
    }
    DecideHooks();
}

void MpvSession::HandleEndFile(const mpv_event_end_file& end) {
    const bool ours = IsOurEntry(end.playlist_entry_id);
    if (end.reason == MPV_END_FILE_REASON_REDIRECT && end.playlist_insert_num_entries > 0) {
        // A playlist opened into entries: they may lead where the playlist itself may lead.
        const auto parent = m_childOrigin.find(end.playlist_entry_id);
        if (ours && parent != m_childOrigin.end()) {
            m_origins.push_back(
                {end.playlist_insert_id, end.playlist_insert_num_entries, parent->second});
        }
        return;
    }
    const bool streamEnded = end.reason == MPV_END_FILE_REASON_EOF && m_phase == Phase::Playing;
    if (!ours || (end.reason != MPV_END_FILE_REASON_ERROR && !streamEnded)) {
        return;
    }
    if (m_phase == Phase::Loading) {
        if (m_seenOurStart && end.reason == MPV_END_FILE_REASON_ERROR)
            m_endError = mpv_error_string(end.error);
        // Each failing entry hands over to the next; a playlist of thousands of dead ones
        // would keep the engine busy for minutes.
        if (++m_failedEntries >= kMaxFailedEntries) {
            FailNow(FailureReason() + QLatin1Char('\n') +
                    tr("None of the first %1 entries could be played.").arg(kMaxFailedEntries));
        }
    } else if (m_phase == Phase::Playing) {
        StreamEndFacts facts;
        facts.network = !SchemeOf(m_playingTarget).empty();
        facts.error = end.reason == MPV_END_FILE_REASON_ERROR;
        facts.lengthKnown = m_fileSize > 0 && m_duration > 0;
        facts.endedShort = m_shortEnd.EndedShort();
        QString reason = tr("The stream stopped sending.");
        if (facts.error)
            reason = QString::fromUtf8(mpv_error_string(end.error));
        else if (facts.endedShort)
            reason = QString::fromStdString(m_shortEnd.What());
        switch (ClassifyStreamEnd(facts)) {
            case StreamEnd::Dropped:
                Q_EMIT Dropped(reason, facts.error ? -1.0 : m_playedTo);
                break;
            case StreamEnd::Broken:
                Q_EMIT Interrupted(reason);
                break;
            case StreamEnd::Finished:
                break;
        }
    }
}

void MpvSession::HandlePropertyChange(const mpv_event_property& property) {
    const bool isDouble = property.format == MPV_FORMAT_DOUBLE && property.data;
    const bool isFlag = property.format == MPV_FORMAT_FLAG && property.data;
    const double number = isDouble ? *static_cast<const double*>(property.data) : 0.0;
    const bool flag = isFlag && *static_cast<const int*>(property.data) != 0;
    const std::string_view name = property.name;
    if (name == "metadata") {
        HandleMetadata(property);
    } else if (name == "time-pos") {
        m_position = number;
        if (isDouble)
            m_playedTo = number;
        Q_EMIT PositionChanged(m_position);
    } else if (name == "duration") {
        m_duration = number;
        Q_EMIT DurationChanged(m_duration);
    } else if (name == "file-size") {
        const bool known = property.format == MPV_FORMAT_INT64 && property.data;
        m_fileSize = known ? *static_cast<const std::int64_t*>(property.data) : -1;
    } else if (name == "pause" && isFlag) {
        m_paused = flag;
        Q_EMIT PauseChanged(m_paused);
    } else if (name == "volume" && isDouble) {
        m_volume = static_cast<int>(std::lround(number));
        Q_EMIT VolumeChanged(m_volume);
    } else if (name == "mute" && isFlag) {
        m_muted = flag;
        Q_EMIT MuteChanged(m_muted);
    } else if (name == "idle-active" && isFlag && flag) {
        HandleIdle();
    }
}

void MpvSession::HandleMetadata(const mpv_event_property& property) {
    // Internet radio tells its titles as ICY metadata; files and other streams in tags.
    QString title;
    if (property.format == MPV_FORMAT_NODE && property.data) {
        const auto* node = static_cast<const mpv_node*>(property.data);
        if (node->format == MPV_FORMAT_NODE_MAP) {
            const mpv_node_list& map = *node->u.list;
            for (const char* wanted : {"icy-title", "title"}) {
                for (int i = 0; i < map.num && title.isEmpty(); ++i) {
                    if (map.values[i].format == MPV_FORMAT_STRING &&
                        QByteArray(map.keys[i]).compare(wanted, Qt::CaseInsensitive) == 0) {
                        title = QString::fromUtf8(map.values[i].u.string).trimmed().left(1000);
                    }
                }
            }
        }
    }
    if (title != m_mediaTitle) {
        m_mediaTitle = title;
        Q_EMIT MediaTitleChanged(title);
    }
}

void MpvSession::HandleIdle() {
    // A playlist handed over to be read elsewhere: its entries are loaded next.
    if (!m_seenOurStart || m_loadRepliesDue > 0 || m_handedOver)
        return;
    // Idle again: after playing that is the end; without having played, a failure, even
    // when the engine gave no error (an empty or wholly refused playlist).
    if (m_phase == Phase::Loading) {
        m_failurePending = true;
    } else if (m_phase == Phase::Playing) {
        m_phase = Phase::Idle;
        Q_EMIT Ended();
    }
}

void MpvSession::HandleLog(const mpv_event_log_message& message) {
    if (m_phase == Phase::Idle)
        return;
    std::string_view text = message.text ? message.text : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    const std::string_view prefix = message.prefix ? message.prefix : "";
    m_shortEnd.Read(prefix, text);
    if (m_phase != Phase::Loading)
        return;
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
        m_errors.emplace_back(text.substr(0, 2000));
}

const MpvSession::OriginRange* MpvSession::RangeOf(std::int64_t entryId) const {
    // The newest range first: entries get ever larger ids.
    for (auto it = m_origins.rbegin(); it != m_origins.rend(); ++it) {
        if (entryId >= it->first && entryId < it->first + it->count)
            return &*it;
    }
    return nullptr;
}

bool MpvSession::IsOurEntry(std::int64_t entryId) const {
    return RangeOf(entryId) != nullptr;
}

void MpvSession::DecideHooks() {
    while (!m_hooks.empty()) {
        Hook& hook = m_hooks.front();
        if (!hook.decided) {
            // Until the engine tells the ids of what was just loaded, a new entry cannot be
            // told from an old one.
            if (!hook.answered || (m_loadRepliesDue > 0 && !IsOurEntry(hook.entryId)))
                return;
            hook.decided = true;
            DecideHook(hook);
        }
        if (hook.pendingSets > 0)
            return;
        mpv_hook_continue(m_handle.get(), hook.hookId);
        m_hooks.pop_front();
    }
}

void MpvSession::DecideHook(Hook& hook) {
    const OriginRange* range = RangeOf(hook.entryId);
    if (m_phase == Phase::Idle || !range) {
        // An entry of a load that was replaced or stopped: it must not open, and it is not
        // ours to report. The playlist already holds the next load, so it is not touched.
        SetForEntry(hook, "stream-open-filename", "null://");
        return;
    }
    const PlaylistOrigin origin = range->origin;
    const bool direct = range->direct;
    m_seenOurStart = true;
    const std::string target = hook.target;
    if (!m_opened.insert(target).second) {
        RefuseEntry(hook,
                    "The playlist leads back to \"" + target + "\", which was opened already.");
        return;
    }
    AddressCheck check = CheckAddress(target);
    if (!EntryAllowed(check, origin)) {
        RefuseEntry(hook, check.kind == AddressKind::LocalPath
                              ? "The playlist leads to the local file \"" + target +
                                    "\", which a playlist from the network may not open."
                              : "The playlist leads to \"" + target + "\": " + check.reason);
        return;
    }
    if (check.kind == AddressKind::LocalPath) {
        // Playlists made on Windows separate folders with backslashes.
        std::error_code ec;
        if (target.find('\\') != std::string::npos && !std::filesystem::exists(target, ec)) {
            std::string slashed = target;
            std::replace(slashed.begin(), slashed.end(), '\\', '/');
            if (std::filesystem::exists(slashed, ec)) {
                check.address = slashed;
                SetForEntry(hook, "stream-open-filename", slashed);
            }
        }
        if (std::string problem = LocalPathProblem(check.address); !problem.empty()) {
            RefuseEntry(hook, "\"" + check.address + "\": " + problem);
            return;
        }
    }
    if (!direct && IsPlaylistReadByPlayer(check.address)) {
        // The engine cannot read these; the player reads it and plays what it names.
        RefuseEntry(hook, "The playlist leads to the playlist \"" + target + "\".");
        m_handedOver = true;
        QMetaObject::invokeMethod(
            this,
            [this, address = QString::fromStdString(check.address), origin, serial = m_loadSerial] {
                if (serial == m_loadSerial && m_phase == Phase::Loading)
                    Q_EMIT WindowsPlaylistMet(address, origin);
            },
            Qt::QueuedConnection);
        return;
    }
    m_childOrigin[hook.entryId] =
        origin == PlaylistOrigin::Local && check.kind == AddressKind::LocalPath
            ? PlaylistOrigin::Local
            : PlaylistOrigin::Network;
    if (check.kind == AddressKind::NetworkStream) {
        SetForEntry(hook, "file-local-options/demuxer-lavf-o", kNetworkProtocolWhitelist);
        // The engine's own playlist reader has no size limit, and a server can send a
        // playlist without end: from the network, playlists are read by the player.
        SetForEntry(hook, "file-local-options/demuxer", "lavf");
    } else if (IsMidiFileName(check.address)) {
        // The engine cannot decode MIDI: it plays the sound rendered from the file instead.
        m_midiAddress = m_midi.AddressFor(check.address);
        SetForEntry(hook, "stream-open-filename", m_midiAddress);
        // The engine trusts no protocol of ours inside a playlist; this entry passed the
        // check above, and the sound stream opens nothing further.
        if (!direct)
            SetForEntry(hook, "file-local-options/load-unsafe-playlists", "yes");
    }
    m_checkedEntry = hook.entryId;
    m_playingTarget = check.address;
}

void MpvSession::RefuseEntry(Hook& hook, std::string reason) {
    if (m_refusal.empty())
        m_refusal = std::move(reason);
    // The entry opens nothing and fails; the engine goes on with the next. Removing it
    // instead would cost a move of the whole playlist per entry.
    SetForEntry(hook, "stream-open-filename", "null://");
}

void MpvSession::SetForEntry(Hook& hook, const char* name, const std::string& value) {
    // The hook goes on only once the engine has taken the value.
    ++hook.pendingSets;
    const char* argv[] = {"set", name, value.c_str(), nullptr};
    mpv_command_async(m_handle.get(), Tag(static_cast<int>(Reply::HookSet), hook.serial), argv);
}

void MpvSession::Halt() {
    // Replies and events still on their way belong to the load given up here.
    ++m_loadSerial;
    m_loadRepliesDue = 0;
    m_toAppend.clear();
    m_origins.clear();
    m_phase = Phase::Idle;
    m_failurePending = false;
    CommandAsync({"stop"});
}

void MpvSession::FailNow(const QString& reason) {
    Halt();
    Q_EMIT Failed(reason);
}

QString MpvSession::FailureReason() const {
    QStringList lines;
    if (!m_refusal.empty())
        lines << QString::fromStdString(m_refusal);
    const std::string midiFailure =
        m_midiAddress.empty() ? std::string() : m_midi.FailureOf(m_midiAddress);
    if (!midiFailure.empty())
        lines << QString::fromStdString(midiFailure);
    for (const auto& line : m_errors) {
        // The engine's own words name the private address, which means nothing to the user.
        if (!midiFailure.empty() || line.find(MidiStreamProtocol::kScheme) != std::string::npos)
            continue;
        // The engine's word on an entry that was refused says nothing new.
        if (!m_refusal.empty() && line.find("recognize file format") != std::string::npos)
            continue;
        lines << QString::fromStdString(line);
    }
    if (lines.isEmpty() && !m_endError.empty())
        lines << QString::fromStdString(m_endError);
    if (lines.isEmpty())
        lines << tr("Nothing in it could be played.");
    return lines.join('\n');
}

}  // namespace quorvel
