#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

// One channel of a user's playlist, every text UTF-8 as the playlist gave it; an absent
// value is empty. Plain data: the channel list, the guide and the player read it.
struct PlaylistChannel {
    std::string name;     // the title, else tvg-name, else the address
    std::string address;  // without the "|User-Agent=..." suffix
    std::string group;    // group-title, else #EXTGRP
    std::string tvgId;
    std::string tvgName;
    std::string tvgLogo;
    std::string tvgLanguage;
    std::string tvgCountry;
    std::string tvgShift;
    std::string catchup;
    std::string catchupSource;
    std::string catchupDays;  // catchup-days, else timeshift, else tvg-rec
    std::string timeshift;
    // Sent by the engine for this channel only; never holds a control character.
    std::string userAgent;
    std::string referrer;
};

enum class PlaylistKind { NotAPlaylist, M3u, Pls };

struct Playlist {
    PlaylistKind kind = PlaylistKind::NotAPlaylist;
    // Its own title (#PLAYLIST:), or empty.
    std::string title;
    // The header's url-tvg and x-tvg-url addresses, in the order written, each once.
    std::vector<std::string> guideAddresses;
    std::vector<PlaylistChannel> channels;
    // Entries whose address was missing.
    std::size_t entriesWithoutAddress = 0;
    // User agents and referrers left out because they held a control character.
    std::size_t refusedHeaders = 0;
    // Reading stopped at kMaxPlaylistChannels.
    bool tooManyEntries = false;
};

// A playlist read, with the name the user knows it by.
struct NamedPlaylist {
    std::string name;
    std::shared_ptr<const Playlist> playlist;
};

}  // namespace quorvel
