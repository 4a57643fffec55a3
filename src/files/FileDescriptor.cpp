#include "files/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

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

FileDescriptor OpenRegularFileForReading(const std::filesystem::path& path, std::string& error,
                                         FileReadStatus* status) {
    FileReadStatus ignored = FileReadStatus::Read;
    FileReadStatus& why = status ? *status : ignored;
    why = FileReadStatus::Read;
    auto fail = [&](FileReadStatus kind, int err) {
        why = kind;
        error = DescribeFileError(path, "cannot open", err);
        return FileDescriptor();
    };
    // O_PATH names the file without opening it, so nothing at the other end of a pipe or
    // device ever sees an open; only a regular file is then opened for reading.
    const FileDescriptor where(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (!where.Valid())
        return fail(errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed, errno);
    struct stat named {};
    if (::fstat(where.Get(), &named) != 0)
        return fail(FileReadStatus::Failed, errno);
    if (S_ISDIR(named.st_mode))
        return fail(FileReadStatus::Folder, EISDIR);
    if (!S_ISREG(named.st_mode)) {
        why = FileReadStatus::NotAFile;
        error = path.string() + ": cannot open: not a regular file";
        return FileDescriptor();
    }
    // Through the descriptor the file is the one just checked, whatever has its name now.
    // Without /proc the name is opened again (without blocking) and must still be that file.
    const std::string self = "/proc/self/fd/" + std::to_string(where.Get());
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    FileDescriptor fd(::open(self.c_str(), kFlags));
    if (!fd.Valid() && errno == ENOENT)
        fd = FileDescriptor(::open(path.c_str(), kFlags));
    if (!fd.Valid())
        return fail(errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed, errno);
    struct stat opened {};
    if (::fstat(fd.Get(), &opened) != 0)
        return fail(FileReadStatus::Failed, errno);
    if (opened.st_dev != named.st_dev || opened.st_ino != named.st_ino)
        return fail(FileReadStatus::Failed, ESTALE);
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(FileReadStatus::Failed, errno);
    return fd;
}

}  // namespace quorvel
