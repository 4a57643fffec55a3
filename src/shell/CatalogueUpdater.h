#pragma once

#include <QObject>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "catalogue/WebUpdate.h"

namespace quorvel {

// Runs the catalogue web update on a thread of its own, so the window stays responsive, and
// reports back on the GUI thread. One update at a time: a second start while one runs is
// held back.
class CatalogueUpdater : public QObject {
    Q_OBJECT
public:
    explicit CatalogueUpdater(QObject* parent = nullptr);
    // Cancels a running update and waits for its thread.
    ~CatalogueUpdater() override;

    bool Running() const { return m_running; }
    // False, and nothing starts, while an update runs.
    bool Start(HttpRequest request, std::filesystem::path catalogue);
    void Cancel();

    // The result of the last update, valid once Finished has been sent.
    const UpdateResult& Result() const { return m_result; }

Q_SIGNALS:
    // Bytes received and announced (0 when the server did not say).
    void Progress(qint64 received, qint64 total);
    void Finished();

private:
    void PostProgress(std::uint64_t received, std::uint64_t total);
    void Join();

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<std::uint64_t> m_received{0};
    std::atomic<std::uint64_t> m_total{0};
    std::atomic<bool> m_progressQueued{false};
    bool m_running = false;
    UpdateResult m_result;
};

}  // namespace quorvel
