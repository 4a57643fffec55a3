#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "logos/LogoFetcher.h"
#include "shell/logos/LogoImage.h"

namespace quorvel {

// Channel logos for the windows: asked for by address and the size of the place they show
// in, answered at once from memory or later (LogosChanged). The fetcher brings the bytes on
// its workers; they are decoded and scaled there too, once per size asked for, so the GUI
// thread only ever takes a finished picture. A logo that never comes is simply never there.
class LogoProvider : public QObject {
    Q_OBJECT
public:
    explicit LogoProvider(LogoFetcher::Options options = {}, QObject* parent = nullptr);
    ~LogoProvider() override;

    // The logo fitted to `box` (padded to exactly `box` for Padded), when it is at hand;
    // otherwise a null picture, and it is asked for once.
    QPixmap ListLogo(const std::string& address, QSize box);
    QImage Logo(const std::string& address, QSize box);
    // Requests whose address `wanted` and the kept ones do not hold are ended (rows
    // scrolled away).
    void Retain(const std::unordered_set<std::string>& wanted);
    // An address whose request is never ended by Retain (what plays).
    void Keep(const std::string& address) { m_kept = address; }

    // Logos in memory, each size counted once; at most kMemoryLogos.
    std::size_t HeldLogos() const { return m_lru.size(); }
    static constexpr std::size_t kMemoryLogos = 1024;

Q_SIGNALS:
    // Logos came since the last time; once per turn of the event loop at most.
    void LogosChanged();
    // A logo that was asked for ended without a picture (for tests and the player).
    void LogoMissing(const QString& address);

private:
    struct Held {
        QImage image;
        QPixmap pixmap;  // made on the GUI thread, for lists
    };
    struct Fitted {
        QSize box;
        LogoFit fit;
        QImage image;
    };
    using Key = std::string;

    const Held* Find(const std::string& address, QSize box, LogoFit fit);
    void Ask(const std::string& address, QSize box, LogoFit fit);
    // On a worker.
    void Delivered(const std::string& address, LogoOutcome outcome, const std::string& bytes);
    void Arrived(const std::string& address, LogoOutcome outcome, std::vector<Fitted> fitted);

    // Recently used first.
    std::list<std::pair<Key, Held>> m_lruOrder;
    std::unordered_map<Key, std::list<std::pair<Key, Held>>::iterator> m_lru;
    std::unordered_set<std::string> m_missing;
    std::unordered_set<std::string> m_pending;
    std::string m_kept;
    bool m_changeQueued = false;
    // The sizes each pending address is wanted in; read by the workers.
    std::mutex m_boxesMutex;
    std::unordered_map<std::string, std::vector<std::pair<QSize, LogoFit>>> m_boxes;
    // Last: its workers end before anything they call goes.
    std::unique_ptr<LogoFetcher> m_fetcher;
};

}  // namespace quorvel
