#include "catalogue/CatalogueLines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalogue/LineCodec.h"

namespace quorvel {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    int Fd() const { return m_fd; }

private:
    int m_fd = -1;
};

CatalogueReadResult Failure(CatalogueReadStatus status, const std::filesystem::path& path,
                            const char* what, int err) {
    return {status, path.string() + ": " + what + ": " + std::strerror(err)};
}

}  // namespace

CatalogueReadResult ForEachDecodedLine(const std::filesystem::path& path, const DecodedLineFn& fn) {
    const ReadOnlyFile file(path);
    if (file.Fd() < 0)
        return Failure(CatalogueReadStatus::OpenFailed, path, "cannot open", errno);
    struct stat st {};
    if (::fstat(file.Fd(), &st) != 0) {
        return Failure(CatalogueReadStatus::OpenFailed, path, "cannot open", errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return Failure(CatalogueReadStatus::OpenFailed, path, "cannot open", EISDIR);
    }

    std::string buffer(kChunkSize, '\0');
    std::size_t filled = 0;    // bytes of buffer holding file data
    std::size_t searched = 0;  // bytes already known to hold no CR
    std::size_t lineNumber = 0;
    bool atEnd = false;
    for (;;) {
        char* const data = buffer.data();
        std::size_t start = 0;
        for (;;) {
            const void* cr = std::memchr(data + searched, '\r', filled - searched);
            if (!cr) {
                searched = filled;
                break;
            }
            const auto stop = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
            // Whether a LF follows is known only with the next byte.
            if (stop + 1 == filled && !atEnd) {
                searched = stop;
                break;
            }
            DecodeBytes(data + start, data + start, stop - start);
            if (!fn(++lineNumber, std::string_view(data + start, stop - start))) {
                return {CatalogueReadStatus::Stopped, {}};
            }
            start = stop + 1;
            if (start < filled && data[start] == '\n')
                ++start;
            searched = start;
        }
        if (atEnd) {
            if (start < filled) {
                DecodeBytes(data + start, data + start, filled - start);
                if (!fn(++lineNumber, std::string_view(data + start, filled - start))) {
                    return {CatalogueReadStatus::Stopped, {}};
                }
            }
            return {};
        }
        // Keep the unfinished line at the front; grow only when it fills the buffer.
        std::memmove(data, data + start, filled - start);
        filled -= start;
        searched -= start;
        if (filled == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(file.Fd(), buffer.data() + filled, buffer.size() - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Failure(CatalogueReadStatus::ReadFailed, path, "cannot read", errno);
        }
        if (n == 0) {
            atEnd = true;
        } else {
            filled += static_cast<std::size_t>(n);
        }
    }
}

}  // namespace quorvel
