#include "playlists/PlaylistListing.h"

#include <array>

namespace quorvel {
namespace {

void AppendField(std::string& out, const std::string& value) {
    const std::size_t start = out.size();
    out.append(value);
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] == '\t' || out[i] == '\r' || out[i] == '\n')
            out[i] = ' ';
    }
}

}  // namespace

std::string ListPlaylist(const Playlist& playlist) {
    std::string out;
    for (const std::string& guide : playlist.guideAddresses) {
        out.append("guide\t");
        AppendField(out, guide);
        out.push_back('\n');
    }
    using Field = const std::string PlaylistChannel::*;
    constexpr std::array<Field, 14> kFields = {
        &PlaylistChannel::name,          &PlaylistChannel::address,
        &PlaylistChannel::group,         &PlaylistChannel::tvgId,
        &PlaylistChannel::tvgName,       &PlaylistChannel::tvgLogo,
        &PlaylistChannel::tvgLanguage,   &PlaylistChannel::tvgCountry,
        &PlaylistChannel::tvgShift,      &PlaylistChannel::catchup,
        &PlaylistChannel::catchupSource, &PlaylistChannel::catchupDays,
        &PlaylistChannel::userAgent,     &PlaylistChannel::referrer};
    for (const PlaylistChannel& channel : playlist.channels) {
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (i > 0)
                out.push_back('\t');
            AppendField(out, channel.*kFields[i]);
        }
        out.push_back('\n');
    }
    return out;
}

}  // namespace quorvel
