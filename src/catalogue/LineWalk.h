#pragma once

// The read loop under the catalogue's record walk, whichever way it looks for a line's end.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "catalogue/CatalogueRecords.h"
#include "files/FileDescriptor.h"

namespace quorvel::detail {

// Small enough that a piece just read is still in the first-level cache when it is scanned.
inline constexpr std::size_t kLineWalkChunk = 16 * 1024;

// Looks for the end of the line from where it stopped last, so a line longer than a piece is
// searched once however many reads it takes.
struct LineEndScan {
    std::size_t pos = 0;

    // The offset of the next CR at or after `pos`, or `filled` when there is none yet.
    std::size_t Find(const char* data, std::size_t filled) {
        const void* cr = std::memchr(data + pos, '\r', filled - pos);
        pos = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : filled;
        return pos;
    }
    void StartLine(std::size_t at) { pos = at; }
    void Shift(std::size_t by) { pos -= by; }
};

// Reads `path` piece by piece (grown only for a line longer than the buffer) and calls
// `onLine(lineNumber, line, size, scan)` for every line. `scan` has Find, StartLine and Shift
// as LineEndScan has. Inlined always, so that a caller built for wider vectors inlines its
// scan too.
template <class Scan, class OnLine>
[[gnu::always_inline]] inline CatalogueReadResult WalkLines(const std::filesystem::path& path,
                                                            Scan& scan, OnLine&& onLine) {
    std::string error;
    FileReadStatus opened = FileReadStatus::Read;
    const FileDescriptor file = OpenRegularFileForReading(path, error, &opened);
    if (!file.Valid()) {
        return {opened == FileReadStatus::Missing ? CatalogueReadStatus::Missing
                                                  : CatalogueReadStatus::OpenFailed,
                error};
    }

    std::string buffer(kLineWalkChunk, '\0');
    std::size_t filled = 0;  // bytes of buffer holding file data
    std::size_t lineNumber = 0;
    bool atEnd = false;
    scan.StartLine(0);
    for (;;) {
        char* const data = buffer.data();
        std::size_t start = 0;
        for (;;) {
            const std::size_t stop = scan.Find(data, filled);
            // Whether a LF follows is known only with the next byte.
            if (stop + 1 >= filled && !atEnd)
                break;
            if (stop == filled) {  // the last line, without line end
                if (start < filled && !onLine(++lineNumber, data + start, filled - start, scan))
                    return {CatalogueReadStatus::Stopped, {}};
                return {};
            }
            if (!onLine(++lineNumber, data + start, stop - start, scan))
                return {CatalogueReadStatus::Stopped, {}};
            start = stop + 1;
            if (start < filled && data[start] == '\n')
                ++start;
            scan.StartLine(start);
        }
        // Keep the unfinished line at the front; grow only when it fills the buffer.
        std::memmove(data, data + start, filled - start);
        filled -= start;
        scan.Shift(start);
        if (filled == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(file.Get(), buffer.data() + filled, buffer.size() - filled);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {CatalogueReadStatus::ReadFailed, DescribeFileError(path, "cannot read", errno)};
        }
        if (n == 0)
            atEnd = true;
        else
            filled += static_cast<std::size_t>(n);
    }
}

}  // namespace quorvel::detail
