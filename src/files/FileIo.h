#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvel {

// Whole-file reads and writes. Failures come back as false with a message that names
// the file and the reason; nothing here throws.

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

// Replaces (or creates) the file so that it holds exactly `bytes`: the data goes to a
// temporary file in the same folder, is flushed to disk and renamed over the old file.
// A failure at any point leaves the old file as it was.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string& error);

}  // namespace quorvel
