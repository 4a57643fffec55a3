#include "files/FileIo.h"

#include "files/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvel {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error) {
    bytes.clear();
    const FileDescriptor fd = OpenForReading(path, error);
    if (!fd.Valid())
        return false;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = DescribeFileError(path, "cannot read", errno);
            bytes.clear();
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string& error) {
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    // The temporary name must fit where the file's own name fits (255 bytes at most).
    std::string stem = path.filename().string();
    if (stem.size() > 200)
        stem.resize(200);
    std::string temp = (folder / ("." + stem + ".XXXXXX")).string();
    FileDescriptor fd(::mkstemp(temp.data()));
    if (!fd.Valid()) {
        error = DescribeFileError(path, "cannot write", errno);
        return false;
    }
    auto fail = [&](const char* what) {
        error = DescribeFileError(path, what, errno);
        ::unlink(temp.c_str());
        return false;
    };

    // Keep the permissions of the file we replace; a new file gets the usual ones.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd.Get(), mode) != 0)
        return fail("cannot write");
    if (!WriteAll(fd.Get(), bytes))
        return fail("cannot write");
    if (::fsync(fd.Get()) != 0)
        return fail("cannot flush");
    if (!fd.Close())
        return fail("cannot write");
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail("cannot replace");

    // Make the rename itself durable.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        ::fsync(dir.Get());
    return true;
}

}  // namespace quorvel
