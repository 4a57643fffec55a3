#include "shell/player/MpvSession.h"

#include "playback/ReconnectPolicy.h"
#include "threads/ThreadEdge.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <string_view>

namespace quorvel {
namespace {

// A drain of the engine's events ends after this many, or this long, and lets the window
// breathe before the next: a playlist of thousands of failing entries sends a flood.
constexpr int kDrainEvents = 64;
constexpr qint64 kDrainMs = 4;

bool IsNoise(std::string_view prefix, std::string_view text) {
    // A missing sound device is no reason to give up a stream: the engine plays on.
    if (prefix == "ao" || prefix.rfind("ao/", 0) == 0 || prefix == "ytdl_hook")
        return true;
    return text.find("audio device") != std::string_view::npos ||
           text.find("audio output") != std::string_view::npos;
}

}  // namespace

void MpvSession::QueueDrain() {
    // One drain waiting is enough: a call per wakeup, thousands of them for a long playlist,
    // would hold up the window as long as the events themselves.
    if (m_drainQueued.exchange(true))
        return;
    // Mostly on an engine thread, inside the engine's C code: nothing may be thrown through
    // it. A drain that could not be asked for is asked for again by the next wakeup.
    RunAtThreadEdge(
        [this] { QMetaObject::invokeMethod(this, &MpvSession::DrainEvents, Qt::QueuedConnection); },
        [this](const std::string&) { m_drainQueued = false; });
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
            } else if (m_phase == Phase::Loading && IsOurEntry(m_startedEntry)) {
                Q_EMIT Opened();
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
            mpv_get_property_async(m_handle.get(), ReplyTag(Reply::HookPath, hook.serial),
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
                Q_EMIT EntryFinished();
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
    } else if (name == "current-ao") {
        // Unavailable between files: what the last file met still holds.
        if (property.format != MPV_FORMAT_STRING || !property.data)
            return;
        const std::string_view output = *static_cast<const char* const*>(property.data);
        const bool unavailable = output == "null" && m_audioOutput != "null";
        if (unavailable != m_soundUnavailable) {
            m_soundUnavailable = unavailable;
            Q_EMIT SoundUnavailableChanged(unavailable);
        }
    } else if (name == "vo-configured" && isFlag) {
        if (flag != m_hasPicture) {
            m_hasPicture = flag;
            Q_EMIT HasPictureChanged(flag);
        }
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
