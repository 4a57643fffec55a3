#pragma once

// The catalogue's record walk as a template, so that a hot caller's per-line work is
// compiled into the scan loop instead of being called through std::function line by line.

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "catalogue/CatalogueRecords.h"
#include "catalogue/RecordScans.h"
#include "files/FileDescriptor.h"
#include "files/WideVectors.h"

namespace quorvel::detail {

// Small enough that a piece just read is still in the first-level cache when it is scanned.
inline constexpr std::size_t kLineWalkChunk = 16 * 1024;

// The read buffer, on a 64-byte boundary: a scan's aligned 64-byte loads never span two
// cache lines. Not cleared: only what was read is looked at.
class LineBuffer {
public:
    explicit LineBuffer(std::size_t size) : m_data(Allocate(size)), m_size(size) {}

    char* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }

    // Twice the room, keeping the first `kept` bytes.
    void Grow(std::size_t kept) {
        Data larger = Allocate(2 * m_size);
        std::memcpy(larger.get(), m_data.get(), kept);
        m_data = std::move(larger);
        m_size *= 2;
    }

private:
    static constexpr std::align_val_t kAlignment{64};
    struct Free {
        void operator()(char* p) const { ::operator delete[](p, kAlignment); }
    };
    using Data = std::unique_ptr<char[], Free>;
    static Data Allocate(std::size_t size) {
        return Data(static_cast<char*>(::operator new[](size, kAlignment)));
    }

    Data m_data;
    std::size_t m_size;
};

// Reads `path` piece by piece into a buffer grown only for a line longer than it. `scan`
// hands over the lines of each piece:
//   std::size_t Walk(char* data, std::size_t filled, bool atEnd, std::size_t& lineNumber,
//                    Fn& fn)
// calls fn(++lineNumber, line, size, fields) for every line that ends in data[0, filled)
// (all of it when `atEnd`) and returns where the first unfinished line starts, or
// kWalkStopped; data[0] always starts a line. The unfinished line moves to the front before
// the next read, after scan.Shift(offset), so a scan resumes without looking again at bytes
// it has seen. Inlined always, so that a caller built for wider vectors inlines its scan.
template <class Scan, class Fn>
[[gnu::always_inline]] inline CatalogueReadResult WalkLines(const std::filesystem::path& path,
                                                            Scan& scan, Fn& fn) {
    std::string error;
    FileReadStatus opened = FileReadStatus::Read;
    const FileDescriptor file = OpenRegularFileForReading(path, error, &opened);
    if (!file.Valid()) {
        return {opened == FileReadStatus::Missing ? CatalogueReadStatus::Missing
                                                  : CatalogueReadStatus::OpenFailed,
                error};
    }

    LineBuffer buffer(kLineWalkChunk);
    std::size_t filled = 0;  // bytes of buffer holding file data
    std::size_t lineNumber = 0;
    bool atEnd = false;
    for (;;) {
        if (filled > 0 || atEnd) {
            const std::size_t kept = scan.Walk(buffer.data(), filled, atEnd, lineNumber, fn);
            if (kept == kWalkStopped)
                return {CatalogueReadStatus::Stopped, {}};
            if (atEnd)
                return {};
            std::memmove(buffer.data(), buffer.data() + kept, filled - kept);
            filled -= kept;
            scan.Shift(kept);
            if (filled == buffer.size())
                buffer.Grow(filled);
        }
        ssize_t n = 0;
        do
            n = ::read(file.Get(), buffer.data() + filled, buffer.size() - filled);
        while (n < 0 && errno == EINTR);
        if (n < 0)
            return {CatalogueReadStatus::ReadFailed, DescribeFileError(path, "cannot read", errno)};
        if (n == 0)
            atEnd = true;
        else
            filled += static_cast<std::size_t>(n);
    }
}

#if defined(__x86_64__)
template <class Fn>
[[gnu::target("avx512bw")]] CatalogueReadResult WalkRecordsWide(const std::filesystem::path& path,
                                                                Fn& fn) {
    WideRecordScan scan;
    return WalkLines(path, scan, fn);
}
#endif

// ForEachEncodedRecord for any callable fn(lineNumber, line, size, fields) -> bool.
template <class Fn>
CatalogueReadResult WalkRecords(const std::filesystem::path& path, Fn& fn,
                                RecordScan scan = RecordScan::Fastest) {
#if defined(__x86_64__)
    if (scan == RecordScan::Fastest && WideVectorsAvailable())
        return WalkRecordsWide(path, fn);
#else
    (void)scan;
#endif
    PortableRecordScan portable;
    return WalkLines(path, portable, fn);
}

}  // namespace quorvel::detail
