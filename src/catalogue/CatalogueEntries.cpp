#include "catalogue/CatalogueEntries.h"

#include "catalogue/CatalogueRecords.h"
#include "catalogue/ChannelRecord.h"
#include "files/Windows1252.h"

namespace quorvel {

std::string CatalogueLineOf(const CatalogueEntry& entry) {
    std::string line;
    line.reserve(entry.name.size() + entry.url.size() + entry.category.size() + entry.type.size() +
                 3);
    line.append(entry.name).push_back(kFieldSeparator);
    line.append(entry.url).push_back(kFieldSeparator);
    line.append(entry.category).push_back(kFieldSeparator);
    line.append(entry.type);
    return line;
}

bool ReadCatalogueEntries(const std::filesystem::path& file, std::vector<CatalogueEntry>& entries,
                          std::string& error) {
    std::vector<CatalogueEntry> read;
    const CatalogueReadResult result = ForEachDecodedRecord(file, [&](std::size_t,
                                                                      const RecordFields& fields) {
        read.push_back({Windows1252ToUtf8(fields.Name()), Windows1252ToUtf8(fields.Url()),
                        Windows1252ToUtf8(fields.Category()), Windows1252ToUtf8(fields.Type())});
        return true;
    });
    if (result.status != CatalogueReadStatus::Completed) {
        error = result.error;
        return false;
    }
    entries.insert(entries.end(), std::make_move_iterator(read.begin()),
                   std::make_move_iterator(read.end()));
    return true;
}

}  // namespace quorvel
