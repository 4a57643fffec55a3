#include "files/FileIo.h"

#include "files/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
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

// Read from /proc: setting the mask to learn it would leave it at 0 for a moment for every
// other thread's new files.
mode_t CurrentUmask() {
    std::string status, error;
    if (ReadFileAtMost("/proc/self/status", 64 * 1024, status, error) == FileReadStatus::Read) {
        const std::size_t at = status.find("\nUmask:");
        if (at != std::string::npos)
            return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8)) & 0777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

bool ReadUpTo(const FileDescriptor& file, std::size_t limit, std::string& bytes,
              const std::filesystem::path& path, std::string& error) {
    char buffer[1 << 16];
    while (bytes.size() < limit) {
        const ssize_t n = ::read(file.Get(), buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = DescribeFileError(path, "cannot read", errno);
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

std::string TooLargeMessage(const std::filesystem::path& path, std::size_t maxBytes) {
    constexpr std::size_t kKb = 1024;
    std::string size;
    if (maxBytes >= kKb * kKb && maxBytes % (kKb * kKb) == 0)
        size = std::to_string(maxBytes / (kKb * kKb)) + " MB";
    else if (maxBytes >= kKb && maxBytes % kKb == 0)
        size = std::to_string(maxBytes / kKb) + " KB";
    else
        size = std::to_string(maxBytes) + " bytes";
    return path.string() + ": larger than " + size + ", not read";
}

FileReadStatus ReadFileAtMost(const std::filesystem::path& path, std::size_t maxBytes,
                              std::string& bytes, std::string& error) {
    bytes.clear();
    FileReadStatus status = FileReadStatus::Read;
    const FileDescriptor file = OpenRegularFileForReading(path, error, &status);
    if (!file.Valid())
        return status;
    // One byte past the cap tells a file that is too large without reading the rest.
    const std::size_t limit = maxBytes < SIZE_MAX ? maxBytes + 1 : maxBytes;
    if (!ReadUpTo(file, limit, bytes, path, error)) {
        bytes.clear();
        return FileReadStatus::Failed;
    }
    if (bytes.size() > maxBytes) {
        bytes.clear();
        error = TooLargeMessage(path, maxBytes);
        return FileReadStatus::TooLarge;
    }
    return FileReadStatus::Read;
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

    // Keep the permissions of the file we replace, but never through a link and never more
    // than a new file would get (no setuid, setgid or sticky bit): the old file's owner and
    // mode may be another's.
    const mode_t allowed = 0666 & ~CurrentUmask();
    struct stat old {};
    const mode_t mode = ::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)
                            ? (old.st_mode & allowed)
                            : allowed;
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
