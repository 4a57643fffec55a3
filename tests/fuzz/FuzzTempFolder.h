#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quorvel::fuzz {

// A folder of this process for the files a target writes per input, in memory where the
// system has a place for it, so that syncing a file costs nothing.
inline const std::filesystem::path& TempFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path base = "/dev/shm";
        std::error_code ec;
        if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0)
            base = std::filesystem::temp_directory_path();
        std::filesystem::path made = base / ("quorvel-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(TempFolder(), ignored);
        });
        return made;
    }();
    return folder;
}

}  // namespace quorvel::fuzz
