#include "shell/player/LiveTimeshift.h"

#include "shell/player/MpvClient.h"
#include "shell/player/MpvSession.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace quorvel {
namespace {

enum Observed : std::uint64_t { kCacheState = 1, kTimePos, kSeekable };

// Seeks stop this far short of the live edge, where the engine would wait for new data.
constexpr double kEdgeMargin = 1.0;
// Kept behind the play position and the oldest second offered: the decoder starts at a key
// frame before the point it seeks to.
constexpr double kPlayMargin = 10.0;
// On a disk too short for that, what is kept behind and read ahead shrinks to at most half
// of what may be kept, but never below this.
constexpr double kShortMargin = 2.0;
// What is kept behind and runs ahead of the play position while paused stays below this
// share of the budget.
constexpr double kReadaheadShare = 0.9;

const mpv_node* Find(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i) {
        if (std::strcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    }
    return nullptr;
}

double Number(const mpv_node* node) {
    if (node && node->format == MPV_FORMAT_DOUBLE)
        return node->u.double_;
    if (node && node->format == MPV_FORMAT_INT64)
        return double(node->u.int64);
    return std::nan("");
}

}  // namespace

LiveTimeshift::LiveTimeshift(MpvSession& session, std::optional<TimeshiftStore> store,
                             QObject* parent)
    : QObject(parent), m_session(session), m_store(std::move(store)) {
    m_client = std::make_unique<MpvClient>(session.Handle(), "timeshift",
                                           [this](const mpv_event& event) { HandleEvent(event); });
    mpv_handle* h = m_client->Handle();
    if (m_store && m_store->Usable()) {
        m_store->ClearLeftovers();
        // Through our descriptor of the folder: whatever becomes of its path, the engine
        // writes where we looked.
        const std::string folder = m_store->EngineFolder();
        const char* text = folder.c_str();
        if (h)
            mpv_set_property_async(h, 0, "cache-dir", MPV_FORMAT_STRING, &text);
    } else if (m_store) {
        m_refusal = m_store->Refused();
        m_refusedFolder = QString::fromStdString(m_store->Folder().string());
        m_store.reset();
        // Nothing on disk, and no more in memory than playing on needs.
        for (const auto& [name, value] :
             {std::pair{"cache-on-disk", "no"}, std::pair{"demuxer-max-back-bytes", "0"}}) {
            const char* text = value;
            if (h)
                mpv_set_property_async(h, 0, name, MPV_FORMAT_STRING, &text);
        }
    }
    if (h) {
        mpv_observe_property(h, kCacheState, "demuxer-cache-state", MPV_FORMAT_NODE);
        mpv_observe_property(h, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
        // A stream the engine cannot seek in, though it can within what it kept, is live.
        mpv_observe_property(h, kSeekable, "seekable", MPV_FORMAT_FLAG);
    }
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &LiveTimeshift::Maintain);
    // Another stream, or none: our hold on the last one's file must go with it.
    connect(&session, &MpvSession::Started, this, &LiveTimeshift::Reset);
    connect(&session, &MpvSession::Ended, this, &LiveTimeshift::Reset);
    connect(&session, &MpvSession::Failed, this, &LiveTimeshift::Reset);
}

LiveTimeshift::~LiveTimeshift() {
    m_client.reset();
}

void LiveTimeshift::Reset() {
    if (m_store)
        m_store->Detach();
    m_firstTime = std::nan("");
    m_readahead = kMaxSeconds;
    m_margin = kPlayMargin;
    m_tick.stop();
}

double LiveTimeshift::Latest() const {
    return std::max(m_cacheEnd - kEdgeMargin, m_rangeStart);
}

double LiveTimeshift::Earliest() const {
    double earliest = std::isfinite(m_rangeStart) ? m_rangeStart : m_cacheEnd;
    earliest = std::max(earliest, m_cacheEnd - kMaxSeconds);
    if (m_store && m_store->KeptFrom() > 0 && std::isfinite(m_firstTime)) {
        const double freedTo =
            TimeAtOffset(m_store->KeptFrom(), m_store->FileBytes(), m_firstTime, m_cacheEnd);
        earliest = std::max(earliest, freedTo + m_margin);
    }
    return std::min(earliest, Latest());
}

double LiveTimeshift::BehindLive() const {
    if (!IsLive() || !std::isfinite(m_position))
        return 0;
    return std::max(0.0, m_cacheEnd - m_position);
}

void LiveTimeshift::SeekTo(double seconds) {
    if (!IsLive() || !std::isfinite(seconds))
        return;
    m_session.Seek(std::clamp(seconds, Earliest(), Latest()));
}

void LiveTimeshift::SeekBy(double seconds) {
    SeekTo(m_position + seconds);
}

void LiveTimeshift::GoLive() {
    SeekTo(m_cacheEnd);
}

void LiveTimeshift::HandleEvent(const mpv_event& event) {
    if (event.event_id != MPV_EVENT_PROPERTY_CHANGE)
        return;
    const auto& property = *static_cast<const mpv_event_property*>(event.data);
    switch (event.reply_userdata) {
        case kCacheState: {
            m_cacheEnd = m_rangeStart = std::nan("");
            if (property.format != MPV_FORMAT_NODE)
                break;
            const auto& state = *static_cast<const mpv_node*>(property.data);
            m_cacheEnd = Number(Find(state, "cache-end"));
            const mpv_node* ranges = Find(state, "seekable-ranges");
            if (!ranges || ranges->format != MPV_FORMAT_NODE_ARRAY || !ranges->u.list)
                break;
            // The range that holds the play position; the newest when none does.
            for (int i = 0; i < ranges->u.list->num; ++i) {
                const mpv_node& range = ranges->u.list->values[i];
                const double start = Number(Find(range, "start"));
                const double end = Number(Find(range, "end"));
                m_rangeStart = start;
                if (m_position >= start && m_position <= end) {
                    m_cacheEnd = std::max(m_cacheEnd, end);
                    break;
                }
            }
            break;
        }
        case kTimePos:
            m_position = property.format == MPV_FORMAT_DOUBLE
                             ? *static_cast<const double*>(property.data)
                             : std::nan("");
            break;
        case kSeekable:
            m_live = property.format == MPV_FORMAT_FLAG && !*static_cast<const int*>(property.data);
            break;
        default:
            return;
    }
    if (IsLive() && m_refusal != TimeshiftStore::Refusal::None)
        TellRefusal();
    // The engine's news of a stream that ended may come after its end.
    if (IsLive() && m_store && m_session.IsPlaying() && !m_tick.isActive())
        m_tick.start();
    Q_EMIT Changed();
}

void LiveTimeshift::TellRefusal() {
    const QString& path = m_refusedFolder;
    // The folder last: what matters stays in sight when the bar is narrow.
    Q_EMIT Notice(
        std::exchange(m_refusal, TimeshiftStore::Refusal::None) == TimeshiftStore::Refusal::Unusable
            ? tr("Pause and rewind are off: the cache folder cannot be used (%1).").arg(path)
            : tr("Pause and rewind are off: the cache folder is a link or another user's (%1).")
                  .arg(path));
}

void LiveTimeshift::Maintain() {
    if (!m_store || !IsLive() || !m_session.IsPlaying() || !std::isfinite(m_position))
        return;
    if (!m_store->Attached() && !m_store->Attach())
        return;
    if (!std::isfinite(m_firstTime))
        m_firstTime = std::isfinite(m_rangeStart) ? m_rangeStart : m_position;
    const std::int64_t bytes = m_store->FileBytes();
    const double seconds = m_cacheEnd - m_firstTime;
    const double rate = bytes > 0 && seconds > 1 ? double(bytes) / seconds : 0;
    m_margin = kPlayMargin;
    if (m_store->DiskShort() && rate > 0)
        m_margin = std::clamp(0.5 * double(m_store->Budget()) / rate, kShortMargin, kPlayMargin);
    m_store->Trim(OffsetAtTime(m_position - m_margin, bytes, m_firstTime, m_cacheEnd));
    if (m_store->DiskShort() && !std::exchange(m_toldShort, true))
        Q_EMIT Notice(tr("The disk is nearly full: less is kept for rewinding."));

    // Paused, the engine reads on ahead: no further than the budget holds beside what is
    // kept behind.
    if (rate <= 0)
        return;
    const double readahead = std::clamp(
        kReadaheadShare * double(m_store->Budget()) / rate - m_margin, kShortMargin, kMaxSeconds);
    if (std::abs(readahead - m_readahead) > 0.1 * m_readahead) {
        m_readahead = readahead;
        double value = readahead;
        mpv_set_property_async(m_client->Handle(), 0, "cache-secs", MPV_FORMAT_DOUBLE, &value);
    }
}

}  // namespace quorvel
