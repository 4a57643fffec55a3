#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// Owns a POSIX file descriptor.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closes now, so that a failing close is seen.
    bool Close();

private:
    int m_fd = -1;
};

enum class FileReadStatus { Read, Missing, Folder, NotAFile, TooLarge, Failed };

// Opens a file that a user, a server or another program controls, for reading, and only when
// it is a regular file (links followed), checked on the descriptor so no other file can take
// its name in between. A pipe, device or socket is refused without being opened: read whole,
// a pipe can block for ever and /dev/zero never ends. On failure `error` names the file and
// the reason, and `status` (when given) tells a missing file and a folder from the rest.
FileDescriptor OpenRegularFileForReading(const std::filesystem::path& path, std::string& error,
                                         FileReadStatus* status = nullptr);

// "<path>: <what>: <reason of errno err>".
std::string DescribeFileError(const std::filesystem::path& path, const char* what, int err);

}  // namespace quorvel
