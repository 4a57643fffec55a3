#include "playlists/PlaylistFile.h"

#include "files/FileDescriptor.h"
#include "files/FileIo.h"
#include "playlists/PlaylistReader.h"

namespace quorvel {

bool ReadPlaylistFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    return ReadFileAtMost(path, kMaxPlaylistBytes, bytes, error) == FileReadStatus::Read;
}

std::string PlaylistFileTitle(const std::filesystem::path& path) {
    std::string error;
    const FileDescriptor file = OpenRegularFileForReading(path, error);
    std::string head;
    if (!file.Valid() || !ReadUpTo(file, 64 * 1024, head, path, error))
        return {};
    return ReadPlaylist(head, path.string()).title;
}

}  // namespace quorvel
