#include "shell/player/ResolveWorker.h"

#include "threads/ThreadEdge.h"

#include <QMetaObject>

namespace quorvel {

ResolveWorker::ResolveWorker(QObject* parent) : QObject(parent) {
    m_mailbox->receiver = this;
}

ResolveWorker::~ResolveWorker() {
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->receiver = nullptr;
    }
    for (auto& worker : m_workers)
        worker.cancel->store(true);
    for (auto& worker : m_workers)
        worker.thread.join();
}

void ResolveWorker::Cancel() {
    for (auto& worker : m_workers)
        worker.cancel->store(true);
    ReapFinished();
}

void ResolveWorker::ReapFinished() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void ResolveWorker::Start(Job job, long fetchDeadlineMs, std::set<std::string> fetched,
                          quint64 ticket) {
    Cancel();
    Worker worker;
    worker.cancel = std::make_shared<std::atomic<bool>>(false);
    worker.done = std::make_shared<std::atomic<bool>>(false);
    worker.thread =
        std::thread([job = std::move(job), fetchDeadlineMs, fetched = std::move(fetched), ticket,
                     cancel = worker.cancel, done = worker.done, mailbox = m_mailbox]() mutable {
            Resolution result;
            RunAtThreadEdge(
                [&] {
                    AddressResolver resolver(fetchDeadlineMs, cancel.get(), std::move(fetched));
                    result = job(resolver);
                },
                [&](const std::string& reason) {
                    result = Resolution();
                    result.failed = true;
                    result.failure = reason;
                });
            {
                std::lock_guard lock(mailbox->mutex);
                if (ResolveWorker* receiver = mailbox->receiver; receiver && !cancel->load()) {
                    QMetaObject::invokeMethod(
                        receiver,
                        [receiver, ticket, result = std::move(result)] {
                            receiver->ReapFinished();
                            Q_EMIT receiver->Finished(ticket, result);
                        },
                        Qt::QueuedConnection);
                }
            }
            done->store(true);
        });
    m_workers.push_back(std::move(worker));
}

}  // namespace quorvel
