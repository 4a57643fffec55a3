#pragma once

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "playback/AddressPolicy.h"
#include "playback/WindowsPlaylist.h"

namespace quorvel {

// What an address comes to: the addresses to hand the engine, in order (it tries the next
// when one fails), or why nothing can be played.
struct Resolution {
    std::vector<std::string> play;
    PlaylistOrigin origin = PlaylistOrigin::Network;
    // Settling it takes a fetch, which this resolver was told to leave for later.
    bool needsNetwork = false;
    bool failed = false;
    // Why nothing plays, for the user.
    std::string failure;
    bool cancelled = false;
    // Playlists met on the way; a playlist the engine meets later counts on from here.
    int depth = 0;
    // What the server sends for these addresses was read already: when the engine fails
    // on them, a second look would show nothing new.
    bool lookedAt = false;
    // The playlists this open fetched so far, for its next resolve.
    std::set<std::string> fetched;
};

// Turns an address into playable entries: checks it, reads the playlists the engine
// cannot (or should not) read itself, follows nested ones, and checks HLS playlists before
// the engine's uncapped reader gets them. Blocks while it fetches: run it off the GUI thread.
class AddressResolver {
public:
    // Later: whatever needs a fetch comes back as needing the network, so the rest can be
    // settled at once where blocking is not allowed.
    enum class Fetching { Allowed, Later };

    // `fetched` carries the playlists an open fetched so far over from its last resolve:
    // one naming itself again would loop.
    AddressResolver(long fetchDeadlineMs, const std::atomic<bool>* cancel,
                    std::set<std::string> fetched = {}, Fetching fetching = Fetching::Allowed);

    // An address as the user gave it (depth 0), or one the engine met in a playlist.
    Resolution Resolve(const std::string& address, int depth = 0);
    // The engine failed on the http address: servers hand out "[Reference]" and ASX text
    // under media names and types, so look at what this one sends before giving up.
    Resolution AfterEngineFailure(const std::string& address, int depth,
                                  const std::string& engineReason);

    const std::set<std::string>& Fetched() const { return m_fetched; }

private:
    enum class Purpose { Playlist, Fallback };

    Resolution ResolveLocal(const std::string& path, int depth);
    Resolution ResolveEntries(const std::vector<std::string>& entries, PlaylistFormat format,
                              const std::string& base, int depth);
    Resolution PlayEntries(std::vector<std::string> playable, PlaylistOrigin origin, int depth);
    Resolution FetchPlaylist(const std::string& url, Purpose purpose, int depth,
                             std::vector<std::string> waiting, PlaylistOrigin origin,
                             const std::string& engineReason = {});
    Resolution Play(std::vector<std::string> addresses, PlaylistOrigin origin) const;
    Resolution Fail(std::string reason) const;

    long m_fetchDeadlineMs;
    const std::atomic<bool>* m_cancel;
    Fetching m_fetching;
    std::set<std::string> m_fetched;
    int m_depth = 0;
};

}  // namespace quorvel
