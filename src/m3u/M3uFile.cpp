#include "m3u/M3uFile.h"

#include <system_error>

#include "files/FileIo.h"
#include "m3u/M3uParser.h"

namespace quorvel {

bool ReadM3uFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = path.string() + ": no such file";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = path.string() + ": not a regular file";
        return false;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxM3uBytes) {
        error = path.string() + ": larger than " + std::to_string(kMaxM3uBytes / (1024 * 1024)) +
                " MB, not read";
        return false;
    }
    if (!ReadWholeFile(path, bytes, error))
        return false;
    // The file may have grown since it was measured.
    if (bytes.size() > kMaxM3uBytes) {
        bytes.clear();
        error = path.string() + ": larger than " + std::to_string(kMaxM3uBytes / (1024 * 1024)) +
                " MB, not read";
        return false;
    }
    return true;
}

}  // namespace quorvel
