#include "shell/player/PlaylistFetcher.h"

#include <QByteArray>
#include <QMetaObject>
#include <QString>

#include <thread>

namespace quorvel {

PlaylistFetcher::PlaylistFetcher(QObject* parent) : QObject(parent) {
    m_mailbox->receiver = this;
}

PlaylistFetcher::~PlaylistFetcher() {
    Cancel();
    std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->receiver = nullptr;
}

void PlaylistFetcher::Cancel() {
    if (m_cancel)
        m_cancel->store(true);
    m_cancel.reset();
}

void PlaylistFetcher::Fetch(const std::string& url, const FetchLimits& limits, quint64 ticket) {
    Cancel();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    // Detached: a transfer being cancelled may need a moment to notice, and the window
    // must not wait for it. The worker owns everything it touches.
    std::thread([url, limits, ticket, cancel = m_cancel, mailbox = m_mailbox] {
        FetchResult result = HttpGet(url, limits, cancel.get());
        std::lock_guard lock(mailbox->mutex);
        if (!mailbox->receiver || cancel->load())
            return;
        PlaylistFetcher* receiver = mailbox->receiver;
        QMetaObject::invokeMethod(
            receiver,
            [receiver, ticket, result = std::move(result)] {
                Q_EMIT receiver->Finished(ticket, result.ok, QByteArray::fromStdString(result.body),
                                          QString::fromStdString(result.finalUrl),
                                          QString::fromStdString(result.error));
            },
            Qt::QueuedConnection);
    }).detach();
}

}  // namespace quorvel
