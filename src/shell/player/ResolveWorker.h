#pragma once

#include "playback/AddressResolver.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvel {

// Runs the address resolver on a worker thread and hands its outcome to the GUI thread, so
// the window never waits for a server. A newer request cancels the older one; a late
// outcome is dropped. The worker object owns its threads: destroying it cancels them and
// waits for them, which takes no longer than a transfer needs to notice the cancel.
class ResolveWorker : public QObject {
    Q_OBJECT
public:
    using Job = std::function<Resolution(AddressResolver& resolver)>;

    explicit ResolveWorker(QObject* parent = nullptr);
    ~ResolveWorker() override;

    // The job runs with a resolver that fetches within `fetchDeadlineMs` and knows the
    // playlists this open fetched already.
    void Start(Job job, long fetchDeadlineMs, std::set<std::string> fetched, quint64 ticket);
    void Cancel();

Q_SIGNALS:
    void Finished(quint64 ticket, const quorvel::Resolution& result);

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancel;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Shared with the workers: they post only while this object is alive.
    struct Mailbox {
        std::mutex mutex;
        ResolveWorker* receiver = nullptr;
    };
    void ReapFinished();

    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    std::vector<Worker> m_workers;
};

}  // namespace quorvel
