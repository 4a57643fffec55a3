#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// What the local-files lists show of a folder. Names sort without regard to letter case;
// hidden entries (names starting with ".") are left out, as the lists of Windows leave
// out hidden files. An unreadable folder gives an empty list and an error code.

// Files whose names match the media file patterns.
std::vector<std::string> ListMediaFiles(const std::filesystem::path& folder, std::error_code& ec);

// Folders directly inside the folder (links to folders included).
std::vector<std::string> ListSubfolders(const std::filesystem::path& folder, std::error_code& ec);

// The folder and a name inside it, with exactly one "/" between them.
std::string JoinFolderAndFile(std::string_view folder, std::string_view name);

}  // namespace quorvel
