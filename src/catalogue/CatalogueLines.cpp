#include "catalogue/CatalogueLines.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "catalogue/LineCodec.h"
#include "files/FileDescriptor.h"

namespace quorvel {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

CatalogueReadResult Failure(CatalogueReadStatus status, const std::filesystem::path& path,
                            const char* what, int err) {
    return {status, DescribeFileError(path, what, err)};
}

}  // namespace

CatalogueReadResult ForEachEncodedLine(const std::filesystem::path& path, const EncodedLineFn& fn) {
    std::string error;
    FileReadStatus opened = FileReadStatus::Read;
    const FileDescriptor file = OpenRegularFileForReading(path, error, &opened);
    if (!file.Valid()) {
        return {opened == FileReadStatus::Missing ? CatalogueReadStatus::Missing
                                                  : CatalogueReadStatus::OpenFailed,
                error};
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
            if (!fn(++lineNumber, data + start, stop - start)) {
                return {CatalogueReadStatus::Stopped, {}};
            }
            start = stop + 1;
            if (start < filled && data[start] == '\n')
                ++start;
            searched = start;
        }
        if (atEnd) {
            if (start < filled) {
                if (!fn(++lineNumber, data + start, filled - start)) {
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
        const ssize_t n = ::read(file.Get(), buffer.data() + filled, buffer.size() - filled);
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

CatalogueReadResult ForEachDecodedLine(const std::filesystem::path& path, const DecodedLineFn& fn) {
    return ForEachEncodedLine(path, [&](std::size_t lineNumber, char* line, std::size_t size) {
        DecodeBytes(line, line, size);
        return fn(lineNumber, std::string_view(line, size));
    });
}

}  // namespace quorvel
