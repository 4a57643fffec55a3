#include "m3u/M3uRows.h"

#include "catalogue/CatalogueRows.h"
#include "m3u/M3uCatalogue.h"
#include "m3u/M3uFile.h"

namespace quorvel {

std::string TooManyEntriesMessage(const std::filesystem::path& file) {
    return file.string() + ": more than " + std::to_string(kMaxM3uEntries) +
           " entries, not imported (split the playlist into smaller ones)";
}

M3uRows ReadM3uRows(const std::filesystem::path& file, const std::string& category) {
    M3uRows result;
    M3uPlaylist playlist;
    {
        std::string bytes;
        if (!ReadM3uFile(file, bytes, result.error))
            return result;
        playlist = ParseM3u(bytes);
    }  // the file's bytes are gone before the rows grow
    if (playlist.tooManyEntries) {
        result.error = TooManyEntriesMessage(file);
        return result;
    }
    result.entriesWithoutAddress = playlist.entriesWithoutAddress;
    const M3uImportOptions options{category};
    result.rows.reserve(playlist.entries.size());
    for (M3uEntry& entry : playlist.entries) {
        CatalogueEntry channel = ChannelFromM3u(entry, options);
        // Each entry goes as its row comes, so the texts are held once, not twice.
        entry = M3uEntry();
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
