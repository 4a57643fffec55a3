#include "shell/player/PlaylistFetcher.h"

#include "playback/HlsPlaylist.h"
#include "playback/WindowsPlaylist.h"
#include "threads/ThreadEdge.h"

#include <QByteArray>
#include <QMetaObject>

namespace quorvel {
namespace {

// A playlist is read whole or not at all: one that is too large or never finishes is
// refused, where a server that merely failed keeps its own reason.
QString Refusal(const std::string& url, const FetchResult& fetched, const FetchLimits& limits) {
    const QString address = QString::fromStdString(url);
    if (fetched.tooLarge) {
        return PlaylistFetcher::tr("The playlist \"%1\" is larger than %2 KB; it was not read.")
            .arg(address)
            .arg(limits.maxBytes / 1024);
    }
    if (fetched.timedOut) {
        return PlaylistFetcher::tr(
                   "The playlist \"%1\" did not arrive whole within %2 seconds; it was not read.")
            .arg(address)
            .arg(limits.totalTimeoutMs / 1000);
    }
    return {};
}

// What the worker hands back for the address: fetched, checked and, if a playlist, read.
FetchedPlaylist FetchPlaylist(const std::string& url, const FetchLimits& limits,
                              std::atomic<bool>* cancel) {
    FetchResult fetched = HttpGet(url, limits, cancel);
    FetchedPlaylist result;
    result.ok = fetched.ok;
    result.finalUrl = QString::fromStdString(fetched.finalUrl);
    result.error = QString::fromStdString(fetched.error);
    result.refusal = Refusal(url, fetched, limits);
    // An HLS playlist is the engine's to read, once it and what it names are whole.
    const bool hls = fetched.ok && IsHlsPlaylist(fetched.body);
    const PlaylistFormat format = fetched.ok && !hls ? DetectAnyPlaylistFormat(fetched.body, url)
                                                     : PlaylistFormat::NotAPlaylist;
    if (hls) {
        const std::string base = fetched.finalUrl.empty() ? url : fetched.finalUrl;
        const HlsNestedCheck nested = CheckHlsNestedPlaylists(fetched.body, base, limits, cancel);
        if (nested.tooMany) {
            result.refusal = PlaylistFetcher::tr("The stream names more than %1 playlists.")
                                 .arg(kMaxHlsNestedPlaylists);
        } else if (!nested.ok) {
            result.refusal = Refusal(nested.address, nested.fetched, limits);
        }
        if (!nested.ok) {
            result.ok = false;
            result.error = result.refusal;
        }
    } else if (format != PlaylistFormat::NotAPlaylist) {
        result.isPlaylist = true;
        for (const auto& entry : ReadPlaylistEntries(fetched.body, format))
            result.entries << QString::fromStdString(entry);
    }
    return result;
}

}  // namespace

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
            const auto post = [&](FetchedPlaylist result) {
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
            };
            RunAtThreadEdge([&] { post(FetchPlaylist(url, limits, cancel.get())); },
                            [&](const std::string& reason) {
                                FetchedPlaylist failed;
                                failed.error = QString::fromStdString(reason);
                                post(std::move(failed));
                            });
            done->store(true);
        });
    m_workers.push_back(std::move(worker));
}

}  // namespace quorvel
