#include "shell/guide/GuideFeeds.h"

#include <QLocale>
#include <QThread>
#include <QTimer>

#include <ctime>
#include <unordered_set>

#include "guide/GuideImport.h"
#include "guide/GuideStore.h"
#include "threads/ThreadEdge.h"

namespace quorvel {
namespace {

// How often the schedule looks for guides that are due; each says itself when it is.
constexpr int kFeedCheckMs = 30 * 60 * 1000;

}  // namespace

GuideFeeds::GuideFeeds(std::filesystem::path storePath, QObject* parent)
    : QObject(parent), m_storePath(std::move(storePath)), m_schedule(new QTimer(this)) {
    now = [] { return static_cast<guide::GuideTime>(std::time(nullptr)); };
    m_schedule->setInterval(kFeedCheckMs);
    connect(m_schedule, &QTimer::timeout, this, &GuideFeeds::RefreshDue);
    m_schedule->start();
}

GuideFeeds::~GuideFeeds() {
    *m_cancel = true;
    if (m_reading) {
        m_reading->wait();
        delete m_reading.data();
    }
}

void GuideFeeds::SetPlaylists(std::function<std::vector<NamedPlaylist>()> playlists) {
    m_playlists = std::move(playlists);
}

void GuideFeeds::PlaylistsChanged() {
    RefreshDue();
}

std::vector<std::string> GuideFeeds::AddressesOf(const std::vector<NamedPlaylist>& playlists) {
    std::vector<std::string> addresses;
    std::unordered_set<std::string> seen;
    for (const NamedPlaylist& named : playlists) {
        if (!named.playlist)
            continue;
        for (const std::string& address : named.playlist->guideAddresses) {
            // Only addresses: a playlist never names a file of this computer to read.
            if (guide::IsGuideAddress(address) && seen.insert(address).second)
                addresses.push_back(address);
        }
    }
    return addresses;
}

void GuideFeeds::RefreshDue() {
    if (!m_playlists)
        return;
    if (m_reading) {
        m_again = true;
        return;
    }
    std::vector<std::string> addresses = AddressesOf(m_playlists());
    if (addresses.empty())
        return;
    guide::ImportOptions options;
    options.now = now();
    options.language = QLocale().name().section(QLatin1Char('_'), 0, 0).toStdString();
    auto replaced = std::make_shared<int>(0);
    m_reading = QThread::create([path = m_storePath, addresses = std::move(addresses), options,
                                 cancel = m_cancel, replaced]() mutable {
        options.cancel = cancel.get();
        RunAtThreadEdge(
            [&] {
                std::string error;
                auto store = guide::GuideStore::Open(path, error);
                if (!store)
                    return;
                for (const std::string& address : addresses) {
                    if (*cancel)
                        return;
                    const std::optional<guide::StoredGuide> held = store->Guide(address);
                    if (held && !guide::RefreshDue(*held, options.now))
                        continue;
                    const guide::ImportResult result = guide::ImportGuide(*store, address, options);
                    if (result.outcome == guide::ImportResult::Outcome::Replaced ||
                        result.outcome == guide::ImportResult::Outcome::KeptPartial)
                        ++*replaced;
                }
            },
            [](std::string) {});
    });
    connect(m_reading, &QThread::finished, this, [this, replaced] {
        m_reading->deleteLater();
        m_reading = nullptr;
        Q_EMIT Refreshed(*replaced);
        if (m_again) {
            m_again = false;
            RefreshDue();
        }
    });
    m_reading->start(QThread::LowPriority);
}

}  // namespace quorvel
