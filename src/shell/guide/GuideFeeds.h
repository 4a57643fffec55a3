#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "guide/GuideTime.h"
#include "playlists/PlaylistChannel.h"

class QThread;
class QTimer;

namespace quorvel {

// The guides that the playlists name in their headers (url-tvg, x-tvg-url): read into the
// guide store when a playlist that names them is read, and again on their own schedule (every
// 12 hours, an hour after a failure; the store keeps the last good copy and asks with its
// validators). One worker thread reads them one after the other; the window never waits.
class GuideFeeds : public QObject {
    Q_OBJECT
public:
    explicit GuideFeeds(std::filesystem::path storePath, QObject* parent = nullptr);
    ~GuideFeeds() override;

    void SetPlaylists(std::function<std::vector<NamedPlaylist>()> playlists);
    // The playlists were read again: guides new to the store or due are read.
    void PlaylistsChanged();
    // Reads the guides that are due (the schedule's check, and the one at start).
    void RefreshDue();

    // The guide addresses of the playlists, each once, in the order met.
    static std::vector<std::string> AddressesOf(const std::vector<NamedPlaylist>& playlists);

    // Stand-in for the clock, for tests.
    std::function<guide::GuideTime()> now;

Q_SIGNALS:
    // A round of reading ended; `replaced` guides got a new copy.
    void Refreshed(int replaced);

private:
    std::filesystem::path m_storePath;
    std::function<std::vector<NamedPlaylist>()> m_playlists;
    QPointer<QThread> m_reading;
    bool m_again = false;
    QTimer* m_schedule;
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace quorvel
