#include "shell/CatalogueUpdater.h"

#include <QMetaObject>

#include "threads/ThreadEdge.h"

namespace quorvel {

CatalogueUpdater::CatalogueUpdater(QObject* parent) : QObject(parent) {}

CatalogueUpdater::~CatalogueUpdater() {
    m_cancel = true;
    Join();
}

void CatalogueUpdater::Join() {
    if (m_worker.joinable())
        m_worker.join();
}

bool CatalogueUpdater::Start(HttpRequest request, std::filesystem::path catalogue) {
    if (m_running)
        return false;
    Join();
    m_running = true;
    m_cancel = false;
    m_received = 0;
    m_total = 0;
    request.cancel = &m_cancel;
    request.progress = [this](std::uint64_t received, std::uint64_t total) {
        PostProgress(received, total);
    };
    m_worker = std::thread([this, request = std::move(request), catalogue = std::move(catalogue)] {
        // Dropped if the updater is gone; its destructor waits for this thread first.
        const auto post = [this](UpdateResult result) {
            QMetaObject::invokeMethod(
                this,
                [this, result = std::move(result)]() mutable {
                    m_result = std::move(result);
                    m_running = false;
                    Join();
                    Q_EMIT Finished();
                },
                Qt::QueuedConnection);
        };
        RunAtThreadEdge([&] { post(RunWebUpdate(request, catalogue)); },
                        [&](const std::string& reason) {
                            UpdateResult result;
                            result.message = "The update broke off (" + reason +
                                             "). The channel list was left as it was.";
                            post(std::move(result));
                        });
    });
    return true;
}

void CatalogueUpdater::Cancel() {
    m_cancel = true;
}

void CatalogueUpdater::PostProgress(std::uint64_t received, std::uint64_t total) {
    m_received = received;
    m_total = total;
    // curl reports many times a second: one queued report at a time is enough.
    if (m_progressQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_progressQueued = false;
            Q_EMIT Progress(static_cast<qint64>(m_received.load()),
                            static_cast<qint64>(m_total.load()));
        },
        Qt::QueuedConnection);
}

}  // namespace quorvel
