#include "shell/player/PlaylistFetcher.h"

#include "playback/WindowsPlaylist.h"

#include <QByteArray>
#include <QMetaObject>

namespace quorvel {

PlaylistFetcher::PlaylistFetcher(QObject* parent) : QObject(parent) {
    m_mailbox->receiver = this;
}

PlaylistFetcher::~PlaylistFetcher() {
    {
        std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->receiver = nullptr;
    }
    for (auto& worker : m_workers)
        worker.cancel->store(true);
    for (auto& worker : m_workers)
        worker.thread.join();
}

void PlaylistFetcher::Cancel() {
    for (auto& worker : m_workers)
        worker.cancel->store(true);
    ReapFinished();
}

void PlaylistFetcher::ReapFinished() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void PlaylistFetcher::Fetch(const std::string& url, const FetchLimits& limits, quint64 ticket) {
    Cancel();
    Worker worker;
    worker.cancel = std::make_shared<std::atomic<bool>>(false);
    worker.done = std::make_shared<std::atomic<bool>>(false);
    worker.thread = std::thread(
        [url, limits, ticket, cancel = worker.cancel, done = worker.done, mailbox = m_mailbox] {
            FetchResult fetched = HttpGet(url, limits, cancel.get());
            FetchedPlaylist result;
            result.ok = fetched.ok;
            result.finalUrl = QString::fromStdString(fetched.finalUrl);
            result.error = QString::fromStdString(fetched.error);
            const PlaylistFormat format = fetched.ok ? DetectAnyPlaylistFormat(fetched.body, url)
                                                     : PlaylistFormat::NotAPlaylist;
            if (format != PlaylistFormat::NotAPlaylist) {
                result.isPlaylist = true;
                for (const auto& entry : ReadPlaylistEntries(fetched.body, format))
                    result.entries << QString::fromStdString(entry);
            }
            {
                std::lock_guard lock(mailbox->mutex);
                if (PlaylistFetcher* receiver = mailbox->receiver; receiver && !cancel->load()) {
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
