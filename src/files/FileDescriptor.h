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

// Opens a file for reading; a folder or any failure gives an invalid descriptor and a
// message that names the file and the reason.
FileDescriptor OpenForReading(const std::filesystem::path& path, std::string& error);

// Opens a regular file (links followed) for reading. A pipe, device or socket is refused
// without waiting for a writer and without reading from it: read whole, a pipe can block for
// ever and /dev/zero never ends.
FileDescriptor OpenRegularFileForReading(const std::filesystem::path& path, std::string& error);

// "<path>: <what>: <reason of errno err>".
std::string DescribeFileError(const std::filesystem::path& path, const char* what, int err);

}  // namespace quorvel
