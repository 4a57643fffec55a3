#include "m3u/M3uRows.h"

#include "catalogue/CatalogueRows.h"
#include "m3u/M3uCatalogue.h"
#include "m3u/M3uFile.h"

namespace quorvel {
namespace {

// What the rows' texts may take, against the file's size. Real playlists need two to
// three times; addresses in letters beyond ASCII grow up to eighteen times on the way
// (UTF-8, then percent-encoded, held as address and tag), and the window must not pay
// that for a hostile file.
constexpr std::size_t kRowBytesPerFileByte = 6;
constexpr std::size_t kRowBytesAllowance = 16u * 1024 * 1024;

std::size_t TextBytes(const ListRow& row) {
    std::size_t bytes = row.text.size() + row.tag.size();
    for (const std::string& item : row.subItems)
        bytes += item.size();
    return bytes;
}

}  // namespace

std::string TooManyEntriesMessage(const std::filesystem::path& file) {
    return file.string() + ": more than " + std::to_string(kMaxM3uEntries) +
           " entries, not imported (split the playlist into smaller ones)";
}

M3uRows ReadM3uRows(const std::filesystem::path& file, const std::string& category) {
    M3uRows result;
    M3uPlaylist playlist;
    std::size_t budget = kRowBytesAllowance;
    {
        std::string bytes;
        if (!ReadM3uFile(file, bytes, result.error))
            return result;
        playlist = ParseM3u(bytes);
        budget += kRowBytesPerFileByte * bytes.size();
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
        const std::size_t size = TextBytes(row);
        if (size > budget) {
            result.rows = {};
            result.error = file.string() + ": its channels would take more than " +
                           std::to_string(budget / (1024 * 1024) + 1) +
                           " MB, not imported (split the playlist into smaller ones)";
            return result;
        }
        budget -= size;
        result.rows.push_back(std::move(row));
    }
    result.ok = true;
    return result;
}

}  // namespace quorvel
