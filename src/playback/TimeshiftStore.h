#pragma once

#include "files/FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvel {

// Keeps the disk use of the engine's cache of a live stream within a cap. The engine writes
// what it receives to one file of its own in our folder, unlinks it at once and only ever
// appends to it, so left alone it grows for as long as the stream plays. What was received
// longest ago is handed back to the file system (a hole punched into the file); the bytes
// the player still needs, from the play position on, are never touched.
class TimeshiftStore {
public:
    TimeshiftStore(std::filesystem::path folder, std::int64_t capBytes);

    const std::filesystem::path& Folder() const { return m_folder; }
    std::int64_t CapBytes() const { return m_cap; }

    // Deletes what an earlier run left in the folder (one that ended without cleaning up).
    void ClearLeftovers() const;

    // Finds the engine's file among this process's open files; the newest when there are
    // several. False while there is none.
    bool Attach();
    void Detach();
    bool Attached() const { return m_file.Valid(); }

    // The file's length, and what it takes on disk.
    std::int64_t FileBytes() const;
    std::int64_t DiskBytes() const;

    // Frees what lies more than the cap behind the file's end, but nothing from `protectFrom`
    // on. Returns the offset below which nothing is kept any more (0 when nothing was freed,
    // or the file system cannot free parts of a file).
    std::int64_t Trim(std::int64_t protectFrom);
    std::int64_t KeptFrom() const { return m_keptFrom; }

private:
    std::filesystem::path m_folder;
    std::int64_t m_cap = 0;
    FileDescriptor m_file;
    std::int64_t m_keptFrom = 0;
};

// The cap from its setting in megabytes: 1024 when unset or not a number, within 64 MB to 64 GB.
std::int64_t TimeshiftCapBytes(const std::string& megabytes);

// The stream time at a byte offset of the cache file, and back, taking the stream's average
// rate between `start` (offset 0) and `end` (the file's end): good enough to keep seeks away
// from what was freed.
double TimeAtOffset(std::int64_t offset, std::int64_t fileBytes, double start, double end);
std::int64_t OffsetAtTime(double time, std::int64_t fileBytes, double start, double end);

}  // namespace quorvel
