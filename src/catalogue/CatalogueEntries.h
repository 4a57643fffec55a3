#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {

// One channel as a catalogue line holds it, in UTF-8: name|url|category|type.
struct CatalogueEntry {
    std::string name;
    std::string url;
    std::string category;
    std::string type;

    bool operator==(const CatalogueEntry&) const = default;
};

// "name|url|category|type", UTF-8 (not yet in the file's code page, not encoded).
std::string CatalogueLineOf(const CatalogueEntry& entry);

// Every record of an encoded catalogue file in file order, all categories; missing fields
// read as empty. False with a message naming the file when it cannot be opened or read.
bool ReadCatalogueEntries(const std::filesystem::path& file, std::vector<CatalogueEntry>& entries,
                          std::string& error);

}  // namespace quorvel
