#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "logos/LogoPolicy.h"

namespace quorvel {

// The folder of the logo cache: $XDG_CACHE_HOME/quorvel/logos, else ~/.cache/quorvel/logos;
// empty when there is no home.
std::filesystem::path DefaultLogoCacheFolder();

// Logos on disk, keyed by their address: for each, the bytes as the server sent them and a
// small record (address, validator, times), both named by a hash of the address. Another
// program may have written the folder: a record is read through the untrusted-file reader
// and counts only when it names the same address. Files are replaced atomically, so two
// instances never see a torn one.
class LogoCache {
public:
    explicit LogoCache(std::filesystem::path folder);

    std::optional<LogoRecord> Record(const std::string& address) const;
    bool HasCopy(const std::string& address) const;
    // The copy's bytes; false when there is none (or it is larger than a logo may be).
    bool ReadCopy(const std::string& address, std::string& bytes) const;

    // Keeps a new copy and its record, the copy first.
    bool StoreCopy(const LogoRecord& record, std::string_view bytes, std::string& error);
    bool StoreRecord(const LogoRecord& record, std::string& error);

    // Removes the oldest logos until the folder holds at most `maxBytes` of them; only
    // files of the cache's own naming are touched.
    void Trim(std::uint64_t maxBytes);

    const std::filesystem::path& Folder() const { return m_folder; }
    std::filesystem::path CopyPath(const std::string& address) const;
    std::filesystem::path RecordPath(const std::string& address) const;

private:
    bool MakeFolder(std::string& error) const;

    std::filesystem::path m_folder;
};

}  // namespace quorvel
