#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "playlists/PlaylistChannel.h"
#include "playlists/PlaylistStore.h"

class QAction;
class QComboBox;
class QThread;
class QToolButton;

namespace quorvel {

class Form1;

// The user's own playlists in the main window: the "Playlists" button and category, which
// show their channels in the channel list with a playlist picker and the type box; File menu
// "Open Address...", "Open File..." and "Playlists..."; and what the command line or a
// second start hands over. Reading and fetching run off the GUI thread; the store and the
// reader decide, this class shows.
class PlaylistsPanel : public QObject {
    Q_OBJECT
public:
    explicit PlaylistsPanel(Form1* form, std::filesystem::path folder = DefaultPlaylistsFolder());
    ~PlaylistsPanel() override;

    QToolButton* cmdPlaylists = nullptr;
    QComboBox* cboPlaylist = nullptr;
    QAction* mnuOpenAddress = nullptr;
    QAction* mnuOpenFile = nullptr;
    QAction* mnuPlaylists = nullptr;
    QAction* mnuCatPlaylists = nullptr;

    // Shows the playlists' channels in the channel list.
    void cmdPlaylists_Click();
    void mnuOpenAddress_Click();
    void mnuOpenFile_Click();
    void mnuPlaylists_Click();
    // A stream or media file plays; a playlist (file or address) is read, shown for this run
    // and its first channel plays.
    void Open(const QString& addressOrFile);
    // Rereads the stored playlists (after a change in the store) and shows them.
    void Reload();
    // Refreshes, one after the other, every address playlist whose interval has passed.
    void RefreshDue();
    // Refreshes one now; the outcome goes to `tell` when it failed.
    void RefreshNow(std::uint64_t id);

    PlaylistStore& Store() { return m_store; }
    // Every playlist read (kept or opened for this run), with its name: for the search of
    // everything.
    std::vector<NamedPlaylist> ReadPlaylists() const;
    bool Shown() const { return m_shown; }
    // The recent addresses of "Open Address...", newest first.
    QStringList RecentAddresses() const;

    // Stand-ins for the dialogs, for tests.
    std::function<QString()> askAddress;
    std::function<QString()> askFile;
    std::function<void(const QString& message)> tell;

Q_SIGNALS:
    // The playlists were read again and the list shows them (when shown).
    void Loaded();
    // A playlist opened for this run was read: its channel count, -1 when it failed.
    void Opened(int channels);
    void RefreshFinished(quint64 id, int result);

private:
    struct Entry {
        std::uint64_t id = 0;  // 0: opened for this run only
        std::string name;
        std::shared_ptr<const Playlist> playlist;
    };

    void Leave();
    void FillTypes();
    void FillRows();
    void TypeChosen();
    void PlaylistChosen();
    void Remember(const std::shared_ptr<const Playlist>& playlist);
    void AddRecentAddress(const QString& address);
    void OpenPlaylist(const QString& source);
    void Play(const PlaylistChannel& channel);
    void RetranslateUi();

    Form1* m_form;
    PlaylistStore m_store;
    std::vector<Entry> m_entries;
    // The user agent and referrer of each address of the playlists read.
    std::unordered_map<std::string, std::pair<std::string, std::string>> m_headers;
    bool m_shown = false;
    bool m_readOnce = false;
    QPointer<QThread> m_loading;
    bool m_reloadAgain = false;
    std::vector<std::uint64_t> m_dueQueue;
    QPointer<QThread> m_refreshing;
};

}  // namespace quorvel
