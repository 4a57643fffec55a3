#pragma once

#include "playback/HttpFetch.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace quorvel {

// Runs HttpGet on a worker thread and hands the result to the GUI thread, so the window
// never waits for a server. A newer request cancels the older one; destroying the fetcher
// cancels too, and a late result is dropped.
class PlaylistFetcher : public QObject {
    Q_OBJECT
public:
    explicit PlaylistFetcher(QObject* parent = nullptr);
    ~PlaylistFetcher() override;

    void Fetch(const std::string& url, const FetchLimits& limits, quint64 ticket);
    void Cancel();

Q_SIGNALS:
    void Finished(quint64 ticket, bool ok, const QByteArray& body, const QString& finalUrl,
                  const QString& error);

private:
    // Shared with the worker: it posts only while the fetcher is alive.
    struct Mailbox {
        std::mutex mutex;
        PlaylistFetcher* receiver = nullptr;
    };
    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    std::shared_ptr<std::atomic<bool>> m_cancel;
};

}  // namespace quorvel
