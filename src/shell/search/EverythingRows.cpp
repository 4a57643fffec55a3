#include "shell/search/EverythingRows.h"

#include "files/TextCase.h"
#include "playlists/PlaylistBrowsing.h"

namespace quorvel {

std::vector<ListRow> EverythingRows(const std::vector<CatalogueEntry>& catalogue,
                                    const std::vector<NamedPlaylist>& playlists,
                                    AdultCategory adult) {
    std::vector<ListRow> rows;
    std::size_t count = catalogue.size();
    for (const NamedPlaylist& named : playlists)
        count += named.playlist ? named.playlist->channels.size() : 0;
    rows.reserve(count);
    for (const CatalogueEntry& entry : catalogue) {
        if (adult == AdultCategory::Left && EqualsIgnoringCase(entry.category, "XXX"))
            continue;
        ListRow row;
        row.text = entry.name;
        row.tag = entry.url;
        row.subItems = {entry.category, entry.type};
        rows.push_back(std::move(row));
    }
    for (const NamedPlaylist& named : playlists) {
        if (!named.playlist)
            continue;
        for (const PlaylistChannel& channel : named.playlist->channels)
            rows.push_back(PlaylistChannelRow(channel, named.name));
    }
    return rows;
}

std::shared_ptr<EverythingIndex> IndexEverything(std::vector<ListRow> rows) {
    auto index = std::make_shared<EverythingIndex>();
    index->rows = std::move(rows);
    const std::vector<ListRow>& held = index->rows;
    index->names.Load(held.size(),
                      [&held](std::size_t row) { return std::string_view(held[row].text); });
    return index;
}

}  // namespace quorvel
