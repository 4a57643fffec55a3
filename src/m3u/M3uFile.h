#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// Reads a playlist file whole: refuses anything but a regular file (a pipe or device
// could be read without end) and files over kMaxM3uBytes. False with a message naming
// the file and the reason.
bool ReadM3uFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

}  // namespace quorvel
