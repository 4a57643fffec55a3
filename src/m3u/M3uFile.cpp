#include "m3u/M3uFile.h"

#include "files/FileIo.h"
#include "m3u/M3uParser.h"

namespace quorvel {

bool ReadM3uFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    return ReadFileAtMost(path, kMaxM3uBytes, bytes, error) == FileReadStatus::Read;
}

}  // namespace quorvel
