#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// A playlist file read whole through the one reader of untrusted files: a pipe, a device
// or a file past kMaxPlaylistBytes is refused. False with a message naming the file.
bool ReadPlaylistFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

// The playlist file's own title (#PLAYLIST:), found in its first 64 KB; empty when it has
// none or cannot be read.
std::string PlaylistFileTitle(const std::filesystem::path& path);

}  // namespace quorvel
