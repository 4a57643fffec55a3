#pragma once

#include "playback/HttpFetch.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvel {

// What a fetch brought: the answer, and when it is one of the playlists the player reads
// itself, its entries (read on the worker, so a large one never holds up the window).
struct FetchedPlaylist {
    bool ok = false;
    bool isPlaylist = false;
    QStringList entries;
    QString finalUrl;
    QString error;
    // Why a playlist was not read at all (too large, never finished), for the user.
    QString refusal;
};

// Runs HttpGet on a worker thread and hands the result to the GUI thread, so the window
// never waits for a server. A newer request cancels the older one; a late result is
// dropped. The fetcher owns its workers: destroying it cancels them and waits for them,
// which takes no longer than a transfer needs to notice the cancel.
class PlaylistFetcher : public QObject {
    Q_OBJECT
public:
    explicit PlaylistFetcher(QObject* parent = nullptr);
    ~PlaylistFetcher() override;

    void Fetch(const std::string& url, const FetchLimits& limits, quint64 ticket);
    void Cancel();
    // Workers not yet joined (running, or finished and not yet reaped).
    int Workers() const { return static_cast<int>(m_workers.size()); }

Q_SIGNALS:
    void Finished(quint64 ticket, const quorvel::FetchedPlaylist& result);

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Shared with the workers: they post only while the fetcher is alive.
    struct Mailbox {
        std::mutex mutex;
        PlaylistFetcher* receiver = nullptr;
    };
    void ReapFinished();

    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    std::vector<Worker> m_workers;
};

}  // namespace quorvel
