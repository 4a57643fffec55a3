#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "files/FileDescriptor.h"

namespace quorvel {

// Whole-file reads and writes. Failures come back as a status or false with a message that
// names the file and the reason; nothing here throws.

// The one reader of a file that a user, a server or another program controls: opened once
// by OpenRegularFileForReading, and never more than `maxBytes` + 1 bytes read from it, so a
// file past the cap costs no more than the cap. On anything but Read `bytes` is empty.
FileReadStatus ReadFileAtMost(const std::filesystem::path& path, std::size_t maxBytes,
                              std::string& bytes, std::string& error);

// Appends what the file holds next until `bytes` has `limit` bytes or the file ends; for a
// caller that looks at the head of a file before it reads on. `path` names the file in errors.
bool ReadUpTo(const FileDescriptor& file, std::size_t limit, std::string& bytes,
              const std::filesystem::path& path, std::string& error);

// "<path>: larger than 16 MB, not read".
std::string TooLargeMessage(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces (or creates) the file so that it holds exactly `bytes`: the data goes to a
// temporary file in the same folder, is flushed to disk and renamed over the old file.
// A failure at any point leaves the old file as it was. The new file has the permission bits
// of the old one when that is a regular file, never more than `0666 & ~umask`.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string& error);

}  // namespace quorvel
