#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// A playlist file read whole through the one reader of untrusted files: a pipe, a device
// or a file past kMaxPlaylistBytes is refused. False with a message naming the file.
bool ReadPlaylistFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

}  // namespace quorvel
