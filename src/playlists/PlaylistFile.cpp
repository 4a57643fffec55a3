#include "playlists/PlaylistFile.h"

#include "files/FileIo.h"
#include "playlists/PlaylistReader.h"

namespace quorvel {

bool ReadPlaylistFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    return ReadFileAtMost(path, kMaxPlaylistBytes, bytes, error) == FileReadStatus::Read;
}

}  // namespace quorvel
