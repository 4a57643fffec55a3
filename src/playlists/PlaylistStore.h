#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "playlists/PlaylistChannel.h"

namespace quorvel {

inline constexpr std::int64_t kDefaultRefreshSeconds = 24 * 60 * 60;

// One of the user's playlists as the store keeps it.
struct StoredPlaylist {
    std::uint64_t id = 0;
    std::string name;    // any Unicode, as the user gave it
    std::string source;  // an http or https address, or a local file's path
    std::int64_t refreshSeconds = kDefaultRefreshSeconds;
    // The validators of the last good copy, for a conditional refresh.
    std::string etag;
    std::string lastModified;
    // When the last refresh answered (seconds since 1970), good or not modified; 0 never.
    std::int64_t refreshedAt = 0;

    bool IsAddress() const;
};

// The folder of the user's playlists: "Playlists" beside the program when it is portable,
// else in the user's data folder.
std::filesystem::path DefaultPlaylistsFolder();

// A name for a new playlist: the file name of the path or address, else the address.
std::string DefaultPlaylistName(const std::string& source);

// The user's playlists: an index (UTF-8, one line each) and, for each address, the last
// good copy as fetched. Every change rereads the index under a lock and rewrites it
// atomically, so two instances never tear it or lose each other's changes.
class PlaylistStore {
public:
    explicit PlaylistStore(std::filesystem::path folder);

    // Reads the index; a missing one is an empty store. False with a message when it
    // cannot be read (it is then never written over).
    bool Load(std::string& error);
    const std::vector<StoredPlaylist>& Playlists() const { return m_playlists; }
    const StoredPlaylist* Find(std::uint64_t id) const;

    // Each returns false with a message when the index cannot be written; the store is then
    // as it was on disk.
    bool Add(const std::string& name, const std::string& source, std::uint64_t& id,
             std::string& error);
    bool Rename(std::uint64_t id, const std::string& name, std::string& error);
    bool SetRefreshSeconds(std::uint64_t id, std::int64_t seconds, std::string& error);
    bool Remove(std::uint64_t id, std::string& error);

    // Where the last good copy of an address's playlist lies.
    std::filesystem::path CopyPath(std::uint64_t id) const;
    // The playlist's channels: from the last good copy, or from the file for a file source.
    // False with a message when there is none or it cannot be read.
    bool ReadChannels(const StoredPlaylist& playlist, Playlist& read, std::string& error) const;

    // Whether a refresh is due at `now` (seconds since 1970).
    static bool RefreshDue(const StoredPlaylist& playlist, std::int64_t now);

    // Stores what a refresh brought, keeping whatever else another instance changed.
    bool RecordRefresh(std::uint64_t id, const std::string* copy, const std::string& etag,
                       const std::string& lastModified, std::int64_t now, std::string& error);

    const std::filesystem::path& Folder() const { return m_folder; }

private:
    // Under the folder's lock: reread the index, let `change` alter it, write it back.
    bool Update(const std::function<bool(std::vector<StoredPlaylist>&)>& change,
                std::string& error);
    bool ReadIndex(std::vector<StoredPlaylist>& playlists, std::string& error) const;

    std::filesystem::path m_folder;
    std::vector<StoredPlaylist> m_playlists;
};

enum class RefreshResult {
    Updated,      // a new copy, now the last good one
    NotModified,  // the server says the copy is current
    Failed,       // the fetch failed: the last good copy stays
    NotAPlaylist  // the answer held no playlist: the last good copy stays
};

struct RefreshOutcome {
    RefreshResult result = RefreshResult::Failed;
    std::string detail;  // why it failed, for the user
    std::size_t channels = 0;
};

// Fetches the playlist anew (for an address, asking with its ETag and Last-Modified) and
// keeps it when it is one. Blocks: run it off the GUI thread. `cancel` may end it.
RefreshOutcome RefreshPlaylist(PlaylistStore& store, std::uint64_t id, std::int64_t now,
                               const std::atomic<bool>* cancel = nullptr);

}  // namespace quorvel
