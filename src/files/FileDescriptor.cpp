#include "files/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvel {

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool FileDescriptor::Close() {
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
}

std::string DescribeFileError(const std::filesystem::path& path, const char* what, int err) {
    return path.string() + ": " + what + ": " + std::strerror(err);
}

FileDescriptor OpenForReading(const std::filesystem::path& path, std::string& error) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        error = DescribeFileError(path, "cannot open", errno);
        return fd;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        error = DescribeFileError(path, "cannot open", errno);
        return FileDescriptor();
    }
    if (S_ISDIR(st.st_mode)) {
        error = DescribeFileError(path, "cannot open", EISDIR);
        return FileDescriptor();
    }
    return fd;
}

FileDescriptor OpenRegularFileForReading(const std::filesystem::path& path, std::string& error) {
    // Non-blocking, so that opening a pipe with no writer returns at once.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid()) {
        error = DescribeFileError(path, "cannot open", errno);
        return fd;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        error = DescribeFileError(path, "cannot open", errno);
        return FileDescriptor();
    }
    if (!S_ISREG(st.st_mode)) {
        error = path.string() + ": cannot open: " +
                (S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file");
        return FileDescriptor();
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = DescribeFileError(path, "cannot open", errno);
        return FileDescriptor();
    }
    return fd;
}

}  // namespace quorvel
