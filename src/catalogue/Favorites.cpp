#include "catalogue/Favorites.h"

#include "appearance/ProgramFiles.h"
#include "catalogue/CatalogueRecords.h"
#include "catalogue/ChannelRecord.h"
#include "catalogue/LineCodec.h"
#include "files/FileIo.h"
#include "files/Windows1252.h"

namespace quorvel {

FavoritesReadResult ReadFavoritesFile(const std::filesystem::path& file) {
    FavoritesReadResult result;
    const auto read = ForEachDecodedRecord(file, [&](std::size_t, const RecordFields& fields) {
        ListRow row;
        row.text = Windows1252ToUtf8(fields.Name());
        row.tag = Windows1252ToUtf8(fields.Url());
        row.subItems = {Windows1252ToUtf8(fields.Category()), Windows1252ToUtf8(fields.Type())};
        result.rows.push_back(std::move(row));
        return true;
    });
    if (read.status == CatalogueReadStatus::Missing)
        return {};
    // Anything else there (a pipe, a file of another owner) is not an empty list.
    if (read.status != CatalogueReadStatus::Completed) {
        // Half a list would be written back over the whole one at the next change.
        result.rows.clear();
        result.error = read.error;
    }
    return result;
}

std::string FavoritesFileBytes(const ListRows& rows) {
    std::string bytes;
    std::string line;
    for (int position = 1; position <= rows.Count(); ++position) {
        const ListRow& row = rows.At(position);
        line = Utf8ToWindows1252(row.text);
        line += kFieldSeparator;
        line += Utf8ToWindows1252(row.tag);
        line += kFieldSeparator;
        line += Utf8ToWindows1252(row.SubItem(1));
        line += kFieldSeparator;
        line += Utf8ToWindows1252(row.SubItem(2));
        EncodeLineInPlace(line);
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

bool WriteFavoritesFile(const std::filesystem::path& file, const ListRows& rows,
                        std::string& error) {
    return WriteFileAtomically(file, FavoritesFileBytes(rows), error);
}

FavoritesReadResult ReadFavorites() {
    return ReadFavoritesFile(ProgramFileToRead(kFavoritesFileName));
}

void LoadFavorites(ListRows& rows) {
    rows.AddRows(ReadFavorites().rows);
}

bool SaveFavorites(const ListRows& rows, std::string& error) {
    return WriteFavoritesFile(ProgramFileToWrite(kFavoritesFileName), rows, error);
}

bool FavoritesKeeper::Load(ListRows& rows, std::string& error) {
    FavoritesReadResult read = ReadFavorites();
    m_loadFailed = !read.error.empty();
    if (m_loadFailed) {
        error = std::move(read.error);
        return false;
    }
    rows.AddRows(std::move(read.rows));
    return true;
}

bool FavoritesKeeper::ReadyToChange(ListRows& rows, std::string& error) {
    if (!m_loadFailed)
        return true;
    rows.Clear();
    return Load(rows, error);
}

bool FavoritesKeeper::Save(const ListRows& rows, std::string& error) {
    if (m_loadFailed) {
        error = ProgramFileToRead(kFavoritesFileName).string() +
                ": not written over, since it could not be read";
        return false;
    }
    return SaveFavorites(rows, error);
}

}  // namespace quorvel
