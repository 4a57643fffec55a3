#pragma once

#include "registry/HiveFile.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quorvel::reg {

enum class HiveKind { User, Machine };

// What a damaged per-user hive makes the program do: move it aside and start afresh with
// defaults (the player), or only report it (maintenance tools, which should show it as it is).
enum class DamagedHivePolicy { SetAside, Report };

// Which file a key handle was opened in; a handle outlives a file replaced under it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The open connection to one hive, kept as long as the file at the configured place is the
// same file. A file or folder whose mode grants no write at all counts as read-only even for
// the administrator (who passes every permission check otherwise), so a hive can be locked
// by taking its write bits away.
class HiveSlot {
public:
    explicit HiveSlot(HiveKind kind) : m_kind(kind) {}

    // Success with a null file means there is no hive file yet: everything reads as empty.
    Status ForRead(HiveFile*& file);
    // Creates the file (and its folder) when needed.
    Status ForWrite(HiveFile*& file);
    // Whether a write could go to this hive now (without creating anything to find out).
    bool CanWrite();
    FileIdentity Identity() const { return m_identity; }
    void Close();

    void SetDamagedPolicy(DamagedHivePolicy policy) { m_policy = policy; }
    void SetLockWait(int milliseconds);
    // While batching, the first write opens a transaction that EndBatch commits.
    void BeginBatch() { m_batching = true; }
    Status EndBatch();
    const std::string& LastError() const { return m_lastError; }
    // Messages about damaged files moved aside, or names renamed when an older file was
    // brought up to date, since the last call.
    std::vector<std::string> TakeNotices();

private:
    std::filesystem::path CurrentPath();
    Status Acquire(bool forWrite, HiveFile*& file);
    Status Fail(Status status, const std::string& message);
    bool SetAside(const std::filesystem::path& path, const std::string& reason);

    HiveKind m_kind;
    DamagedHivePolicy m_policy = DamagedHivePolicy::SetAside;
    int m_lockWaitMs = 0;
    bool m_batching = false;
    std::filesystem::path m_path;
    std::unique_ptr<HiveFile> m_file;
    FileIdentity m_identity;
    std::string m_lastError;
    std::vector<std::string> m_notices;
};

}  // namespace quorvel::reg
