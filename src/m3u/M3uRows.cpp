#include "m3u/M3uRows.h"

#include "catalogue/CatalogueRows.h"
#include "m3u/M3uCatalogue.h"
#include "m3u/M3uFile.h"

namespace quorvel {

M3uRows ReadM3uRows(const std::filesystem::path& file, const std::string& category) {
    M3uRows result;
    std::string bytes;
    if (!ReadM3uFile(file, bytes, result.error))
        return result;
    const M3uPlaylist playlist = ParseM3u(bytes);
    result.entriesWithoutAddress = playlist.entriesWithoutAddress;
    std::vector<CatalogueEntry> channels = ChannelsFromM3u(playlist, {category});
    result.rows.reserve(channels.size());
    for (CatalogueEntry& channel : channels) {
        std::string url = channel.url;
        ListRow row = MakeCatalogueRow(std::move(channel.name), std::move(channel.url),
                                       std::move(channel.category), std::move(channel.type));
        // A click plays the tag, as for the rows of the full load.
        row.tag = std::move(url);
        result.rows.push_back(std::move(row));
    }
    result.ok = true;
    return result;
}

}  // namespace quorvel
