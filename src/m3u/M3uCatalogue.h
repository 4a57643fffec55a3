#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueEntries.h"
#include "m3u/M3uParser.h"

namespace quorvel {

struct M3uImportOptions {
    // Category for every channel; empty takes it from each entry's group.
    std::string category;
};

// One playlist entry as a catalogue channel, every field made storable in a catalogue:
// - name: the title, else tvg-name, else the address;
// - category: the option, else a group-title (or #EXTGRP) that names a catalogue category
//   (TV, Radio, Video, XXX; letter case ignored), else Radio for radio="true", else TV;
// - type, what the language box offers: the languages of tvg-language; without them a
//   group-title that names no category or genre (News, Sports, Movies...), as playlists
//   sorted by language or country have; else the countries of tvg-country, a two-letter
//   code by its English name. Lists are split at ";", ",", "/" or "|", repeats dropped
//   (letter case ignored), at most 32 kept, joined by "/".
// What Windows-1252 cannot hold becomes "?"; in an address with a scheme it is
// percent-encoded instead, so the address still works. "|" (the field separator) becomes
// "/" in texts and %7C in addresses; the two letters a catalogue cannot store
// (Ì, ÿ) become I and y.
CatalogueEntry ChannelFromM3u(const M3uEntry& entry, const M3uImportOptions& options);

// Every entry of the playlist by ChannelFromM3u.
std::vector<CatalogueEntry> ChannelsFromM3u(const M3uPlaylist& playlist,
                                            const M3uImportOptions& options);

// The channels as an extended M3U (UTF-8, LF): tvg-name, tvg-language (the type's
// languages joined by ";") and group-title = category. Channels without an address are
// left out, since an entry cannot stand without one.
std::string WriteM3u(const std::vector<CatalogueEntry>& channels);

}  // namespace quorvel
