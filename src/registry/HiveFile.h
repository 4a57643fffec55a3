#pragma once

#include "registry/RegistryTypes.h"
#include "registry/Sqlite.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::reg {

using KeyId = std::int64_t;

struct ValueRecord {
    std::string name;
    std::uint32_t type = kRegNone;
    std::string data;
};

// One hive file: a SQLite database of keys (a tree below named root rows) and typed values.
// Every change is one transaction, so a change is either wholly in the file or not at all,
// whatever happens to the process; two processes writing at once queue on a lock wait.
// The journal is a rollback journal beside the file: unlike a write-ahead log it lets a
// user who may not write the file or its folder read it, and leaves no shared-memory file
// whose permissions could lock later writers out.
class HiveFile {
public:
    enum class Mode { ReadOnly, ReadWrite };
    enum class OpenFailure { None, Damaged, Other };

    // Opens and checks the file. A new or empty file gets the schema, an older one is
    // brought up to date (ReadWrite only). On failure returns null, with a status, the kind
    // of failure and a message. `notes` receives what bringing the file up to date changed.
    static std::unique_ptr<HiveFile> Open(const std::filesystem::path& path, Mode mode,
                                          int lockWaitMs, Status& status, OpenFailure& failure,
                                          std::string& message, std::vector<std::string>& notes);

    // Called by SQLite as each write transaction of a hive opened afterwards is about to
    // commit; lets a test stop a writer at a known point. Null removes it.
    static void SetCommitHook(int (*hook)(void*));

    Mode GetMode() const { return m_mode; }
    // How long a call waits for another process's lock before it fails as busy.
    void SetLockWait(int milliseconds);

    // Root rows are made on the first write below them; a missing one reads as empty.
    Status RootId(std::string_view rootName, KeyId& id);
    Status FindChild(KeyId parent, std::string_view name, KeyId& id);
    // Inside a write transaction: the child, made first when it is missing.
    Status FindOrCreateChild(KeyId parent, std::string_view name, KeyId& id);
    // Walks `segments` below `start` (0 means the root named `rootName`), creating missing keys.
    Status CreatePath(std::string_view rootName, KeyId start,
                      const std::vector<std::string_view>& segments, KeyId& id);
    Status DeleteKey(KeyId id);
    Status ChildNames(KeyId id, std::vector<std::string>& names);
    Status HasChild(KeyId id, bool& has);

    Status GetValue(KeyId id, std::string_view name, std::uint32_t& type, std::string& data);
    Status SetValue(KeyId id, std::string_view name, std::uint32_t type, std::string_view data);
    Status DeleteValue(KeyId id, std::string_view name);
    Status Values(KeyId id, std::vector<ValueRecord>& values);

    // Makes the single changes that follow one transaction until EndBatch, so that many
    // writes cost one commit and reach the file together or not at all.
    Status BeginBatch();
    Status EndBatch();
    bool InBatch() const { return sqlite3_get_autocommit(m_db.get()) == 0; }

    // Reads several statements as one consistent snapshot.
    sqlite::ScopedTransaction ReadSnapshot() {
        return sqlite::ScopedTransaction(m_db.get(), sqlite::ScopedTransaction::Kind::Read);
    }

    // The message for the last SQLite failure on this file.
    std::string LastMessage() const;

private:
    HiveFile() = default;
    Status CreateSchema();
    Status Prepare();
    Status KeyAlive(KeyId id);
    Status FromSqlite(int rc) const;
    // Folds a name as this file's keys and values were folded when written.
    std::string Fold(std::string_view name) const;
    Status MigrateFolds(std::vector<std::string>& notes);

    sqlite::DatabasePtr m_db;
    Mode m_mode = Mode::ReadOnly;
    bool m_legacyFold = false;
    std::map<std::string, KeyId> m_rootIds;

    sqlite::Statement m_findChild;
    sqlite::Statement m_insertKey;
    sqlite::Statement m_keyAlive;
    sqlite::Statement m_childNames;
    sqlite::Statement m_firstChild;
    sqlite::Statement m_deleteKey;
    sqlite::Statement m_deleteKeyValues;
    sqlite::Statement m_getValue;
    sqlite::Statement m_setValue;
    sqlite::Statement m_deleteValue;
    sqlite::Statement m_values;
};

}  // namespace quorvel::reg
