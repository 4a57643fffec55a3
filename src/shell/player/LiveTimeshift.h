#pragma once

#include "playback/TimeshiftStore.h"

#include <QObject>
#include <QTimer>

#include <cmath>
#include <memory>
#include <optional>

struct mpv_event;

namespace quorvel {

class MpvClient;
class MpvSession;

// Pause and rewind for live streams. The engine keeps what it received (on disk, see
// TimeshiftStore) and plays on from there; this tells how far behind live the picture is,
// limits seeks to what is kept (at most kMaxSeconds), jumps back to the live edge, and keeps
// the kept data within its cap.
class LiveTimeshift : public QObject {
    Q_OBJECT
public:
    static constexpr double kMaxSeconds = 30 * 60;

    // Without a store the engine's own cache in memory serves, uncapped by us. A store whose
    // folder is refused keeps nothing: the engine keeps no more than it needs to play on.
    LiveTimeshift(MpvSession& session, std::optional<TimeshiftStore> store,
                  QObject* parent = nullptr);
    ~LiveTimeshift() override;

    // A stream without an end that can be sought only within what was kept.
    bool IsLive() const {
        return m_live && std::isfinite(m_cacheEnd) && std::isfinite(m_rangeStart);
    }
    double Position() const { return m_position; }
    // The span seeks may reach: from the oldest kept second to the live edge.
    double Earliest() const;
    double Latest() const;
    double BehindLive() const;

    void SeekTo(double seconds);
    void SeekBy(double seconds);
    void GoLive();

    const TimeshiftStore* Store() const { return m_store ? &*m_store : nullptr; }
    // Looks after the kept data now; a timer does it every second while a live stream plays.
    void Maintain();

Q_SIGNALS:
    void Changed();
    // Something the user should know once: the folder was refused, or the disk is short.
    void Notice(const QString& text);

private:
    void HandleEvent(const mpv_event& event);
    void Reset();
    void TellRefusal();

    MpvSession& m_session;
    std::unique_ptr<MpvClient> m_client;
    std::optional<TimeshiftStore> m_store;
    QTimer m_tick;
    bool m_live = false;
    double m_position = std::nan("");
    double m_cacheEnd = std::nan("");
    double m_rangeStart = std::nan("");
    // The stream time of the store file's first byte.
    double m_firstTime = std::nan("");
    double m_readahead = kMaxSeconds;
    // Kept behind the play position: less on a short disk.
    double m_margin = 10.0;
    // Told at the first live stream.
    TimeshiftStore::Refusal m_refusal = TimeshiftStore::Refusal::None;
    QString m_refusedFolder;
    bool m_toldShort = false;
};

}  // namespace quorvel
