#pragma once

#include "files/FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace quorvel {

// Free space of a file system, in bytes.
struct DiskSpace {
    std::int64_t total = 0;
    // What an ordinary user may still take.
    std::int64_t available = 0;
};

// Keeps the disk use of the engine's cache of a live stream within a cap. The engine writes
// what it receives to one file of its own in our folder, unlinks it at once and only ever
// appends to it, so left alone it grows for as long as the stream plays. What was received
// longest ago is handed back to the file system (a hole punched into the file); the bytes
// the player still needs, from the play position on, are never touched.
class TimeshiftStore {
public:
    // Why the folder is not used.
    enum class Refusal { None, Link, OtherOwner, Unusable };

    // Makes the folder when missing and opens it, never through a link at the folder itself
    // (links above it are followed), and only when it is this user's; it is then made this
    // user's alone. Everything later goes through that descriptor, not the path, so the
    // folder cannot be swapped for another under us.
    TimeshiftStore(std::filesystem::path folder, std::int64_t capBytes);

    const std::filesystem::path& Folder() const { return m_folder; }
    Refusal Refused() const { return m_refusal; }
    bool Usable() const { return m_refusal == Refusal::None; }
    // Where the engine is to write: the folder reached through our descriptor.
    std::string EngineFolder() const;
    std::int64_t CapBytes() const { return m_cap; }

    // Deletes the engine's cache files that an earlier run left in the folder (one that ended
    // without cleaning up). Nothing else in the folder is touched.
    void ClearLeftovers() const;

    // Finds the engine's file among this process's open files; the newest when there are
    // several. False while there is none.
    bool Attach();
    void Detach();
    bool Attached() const { return m_file.Valid(); }

    // The file's length, and what it takes on disk.
    std::int64_t FileBytes() const;
    std::int64_t DiskBytes() const;

    // Frees what lies more than the budget behind the file's end, but nothing from
    // `protectFrom` on. Returns the offset below which nothing is kept any more (0 when
    // nothing was freed, or the file system cannot free parts of a file).
    std::int64_t Trim(std::int64_t protectFrom);
    std::int64_t KeptFrom() const { return m_keptFrom; }
    // What the kept data may take as of the last Trim: the cap, or less on a short disk.
    std::int64_t Budget() const { return m_budget; }
    // The kept data have reached a budget below the cap (and the disk has no more room yet).
    bool DiskShort() const { return m_diskShort; }

private:
    std::filesystem::path m_folder;
    std::int64_t m_cap = 0;
    std::int64_t m_budget = 0;
    bool m_diskShort = false;
    Refusal m_refusal = Refusal::Unusable;
    FileDescriptor m_dir;
    // The folder's path as the kernel names it, links resolved.
    std::string m_resolved;
    FileDescriptor m_file;
    std::int64_t m_keptFrom = 0;
};

// Whether a name is one the engine gives its cache files: "mpv-cache-XXXXXX.dat".
bool IsEngineCacheName(const std::string& name);

// What stays free on a file system of `totalBytes` while live streams are kept: 256 MiB or
// 5% of it (at most 4 GiB), whichever is larger, but never more than a quarter of it.
std::int64_t TimeshiftReserve(std::int64_t totalBytes);
// What the kept data may take, `keptBytes` of it already on disk: the cap, or less so that
// the reserve stays free; 0 when the disk is that short.
std::int64_t TimeshiftBudget(std::int64_t capBytes, std::int64_t keptBytes, const DiskSpace& disk);

// The cap from its setting in megabytes: 1024 when unset or not a number, within 64 MB to 64 GB.
std::int64_t TimeshiftCapBytes(const std::string& megabytes);

// The stream time at a byte offset of the cache file, and back, taking the stream's average
// rate between `start` (offset 0) and `end` (the file's end): good enough to keep seeks away
// from what was freed.
double TimeAtOffset(std::int64_t offset, std::int64_t fileBytes, double start, double end);
std::int64_t OffsetAtTime(double time, std::int64_t fileBytes, double start, double end);

}  // namespace quorvel
