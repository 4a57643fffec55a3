#include "registry/HiveFile.h"

#include "registry/NameFold.h"

namespace quorvel::reg {
namespace {

using sqlite::ScopedTransaction;
using sqlite::Statement;

// "QRVG": marks a SQLite file as one of our hives.
constexpr std::int64_t kApplicationId = 0x51525647;
// 2: names are folded to upper case by our own table (1: small letters by the C library).
constexpr std::int64_t kSchemaVersion = 2;

int (*g_commitHook)(void*) = nullptr;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    UNIQUE(parent, fold));
CREATE TABLE IF NOT EXISTS key_values(
    key_id INTEGER NOT NULL,
    name TEXT NOT NULL,
    fold TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    seq INTEGER NOT NULL,
    PRIMARY KEY(key_id, fold)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS key_values_order ON key_values(key_id, seq);
)sql";

bool NonEmptyFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size > 0;
}

bool IsDamage(int rc) {
    rc &= 0xFF;
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB || rc == SQLITE_FORMAT;
}

}  // namespace

Status HiveFile::FromSqlite(int rc) const {
    switch (rc & 0xFF) {
        case SQLITE_OK:
        case SQLITE_DONE:
        case SQLITE_ROW:
            return kErrorSuccess;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return kErrorBusy;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
            return kErrorBadDb;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return kErrorAccessDenied;
        case SQLITE_CONSTRAINT:
            return kErrorInvalidParameter;
        default:
            return kErrorRegistryIoFailed;
    }
}

std::string HiveFile::LastMessage() const {
    return m_db ? sqlite3_errmsg(m_db.get()) : "";
}

void HiveFile::SetCommitHook(int (*hook)(void*)) {
    g_commitHook = hook;
}

void HiveFile::SetLockWait(int milliseconds) {
    sqlite3_busy_timeout(m_db.get(), milliseconds);
}

Status HiveFile::BeginBatch() {
    if (m_mode != Mode::ReadWrite)
        return kErrorAccessDenied;
    return FromSqlite(sqlite::Execute(m_db.get(), "BEGIN IMMEDIATE"));
}

Status HiveFile::EndBatch() {
    if (!InBatch())
        return kErrorSuccess;
    const int rc = sqlite::Execute(m_db.get(), "COMMIT");
    if (rc != SQLITE_OK)
        sqlite::Execute(m_db.get(), "ROLLBACK");
    return FromSqlite(rc);
}

std::string HiveFile::Fold(std::string_view name) const {
    return m_legacyFold ? LegacyFoldName(name) : FoldName(name);
}

std::unique_ptr<HiveFile> HiveFile::Open(const std::filesystem::path& path, Mode mode,
                                         int lockWaitMs, Status& status, OpenFailure& failure,
                                         std::string& message, std::vector<std::string>& notes) {
    std::unique_ptr<HiveFile> hive(new HiveFile);
    hive->m_mode = mode;
    failure = OpenFailure::Other;
    const int flags = mode == Mode::ReadWrite ? (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
                                              : SQLITE_OPEN_READONLY;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    hive->m_db.reset(db);
    auto fail = [&](int code, std::string_view what) -> std::unique_ptr<HiveFile> {
        status = hive->FromSqlite(code);
        if (IsDamage(code))
            failure = OpenFailure::Damaged;
        message = std::string(what) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
        return nullptr;
    };
    if (rc != SQLITE_OK)
        return fail(rc, "cannot open");
    sqlite3_extended_result_codes(db, 0);
    sqlite3_busy_timeout(db, lockWaitMs);
    if (g_commitHook)
        sqlite3_commit_hook(db, g_commitHook, nullptr);

    // The whole file is checked once per open, so damage shows here and not half-way.
    {
        Statement check(db, "PRAGMA quick_check");
        rc = check.Valid() ? check.Step() : check.PrepareResult();
        // A write killed half-way leaves its journal; only a connection that may write the
        // file can roll it back, and until then nobody else can read it.
        std::filesystem::path journal = path;
        journal += "-journal";
        if ((rc & 0xFF) == SQLITE_READONLY && mode == Mode::ReadOnly && NonEmptyFile(journal)) {
            status = kErrorAccessDenied;
            message =
                "a write to it was interrupted half-way, and it cannot be read until someone "
                "allowed to write it opens it once (for the machine-wide settings the "
                "administrator, for example with \"quorvel-reg keys HKLM\")";
            return nullptr;
        }
        if (rc != SQLITE_ROW)
            return fail(rc, "cannot read");
        if (check.Text(0) != "ok") {
            status = kErrorBadDb;
            failure = OpenFailure::Damaged;
            message = "damaged database: " + check.Text(0);
            return nullptr;
        }
    }
    Statement probe(db,
                    "SELECT (SELECT application_id FROM pragma_application_id),"
                    " (SELECT user_version FROM pragma_user_version),"
                    " (SELECT count(*) FROM sqlite_master),"
                    " (SELECT count(*) FROM sqlite_master WHERE name IN ('keys','key_values'))");
    if (!probe.Valid())
        return fail(probe.PrepareResult(), "cannot read");
    rc = probe.Step();
    if (rc != SQLITE_ROW)
        return fail(rc, "cannot read");
    const std::int64_t appId = probe.Int(0);
    const std::int64_t version = probe.Int(1);
    const std::int64_t objects = probe.Int(2);
    const std::int64_t ourTables = probe.Int(3);
    probe.Start();
    const bool fresh = appId == 0 && objects == 0;
    if (!fresh && (appId != kApplicationId || ourTables != 2)) {
        status = kErrorBadDb;
        failure = OpenFailure::Damaged;
        message = "not a settings hive (a different database)";
        return nullptr;
    }
    if (version > kSchemaVersion) {
        status = kErrorBadDb;
        failure = OpenFailure::Other;
        message = "made by a newer version of the program";
        return nullptr;
    }
    if (mode == Mode::ReadWrite) {
        // Also turns a hive written with a write-ahead log by an earlier version back.
        sqlite::Execute(db, "PRAGMA journal_mode=TRUNCATE");
        // FULL makes each committed write survive a power cut as well as a killed process.
        sqlite::Execute(db, "PRAGMA synchronous=FULL");
        const Status ready = fresh                      ? hive->CreateSchema()
                             : version < kSchemaVersion ? hive->MigrateFolds(notes)
                                                        : kErrorSuccess;
        if (ready != kErrorSuccess) {
            status = ready;
            message =
                std::string(fresh ? "cannot create: " : "cannot update: ") + hive->LastMessage();
            return nullptr;
        }
    } else {
        hive->m_legacyFold = !fresh && version < kSchemaVersion;
    }
    if (!fresh || mode == Mode::ReadWrite) {
        const Status prepared = hive->Prepare();
        if (prepared != kErrorSuccess) {
            status = prepared;
            message = "cannot read: " + hive->LastMessage();
            return nullptr;
        }
    }
    status = kErrorSuccess;
    failure = OpenFailure::None;
    return hive;
}

Status HiveFile::CreateSchema() {
    ScopedTransaction tx(m_db.get(), ScopedTransaction::Kind::Write);
    if (!tx.Active())
        return FromSqlite(tx.BeginResult());
    if (const int rc = sqlite::Execute(m_db.get(), kSchema); rc != SQLITE_OK) {
        return FromSqlite(rc);
    }
    const std::string marks = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                              "; PRAGMA user_version=" + std::to_string(kSchemaVersion);
    if (const int rc = sqlite::Execute(m_db.get(), marks.c_str()); rc != SQLITE_OK) {
        return FromSqlite(rc);
    }
    return FromSqlite(tx.Commit());
}

// Folds every name again, upper-cased. Names that the old fold told apart and the new one
// does not (such as "i" and the dotless "ı") cannot both stay: the later one gets a suffix,
// so no key or value is lost, and the change is noted.
Status HiveFile::MigrateFolds(std::vector<std::string>& notes) {
    sqlite3* db = m_db.get();
    ScopedTransaction tx(db, ScopedTransaction::Kind::Write);
    if (!tx.Active())
        return FromSqlite(tx.BeginResult());
    // Unique placeholders first, so no new fold meets an old one still in place.
    if (const int rc = sqlite::Execute(db,
                                       "UPDATE keys SET fold=char(1,1)||id;"
                                       "UPDATE key_values SET fold=char(1,1)||seq");
        rc != SQLITE_OK)
        return FromSqlite(rc);

    struct Row {
        std::int64_t owner;  // keys: the id; values: the key's id
        std::int64_t seq;    // values only
        std::string name;
    };
    const auto readRows = [&](const char* sql, std::vector<Row>& rows) {
        Statement select(db, sql);
        int rc;
        while ((rc = select.Step()) == SQLITE_ROW)
            rows.push_back({select.Int(0), select.Int(1), select.Text(2)});
        return rc;
    };
    const auto refold = [&](const char* sql, const std::vector<Row>& rows,
                            const std::string& what) -> Status {
        Statement update(db, sql);
        for (const Row& row : rows) {
            std::string name = row.name;
            for (int n = 2;; ++n) {
                const int rc = update.Start()
                                   .Bind(1, name)
                                   .Bind(2, FoldName(name))
                                   .Bind(3, row.owner)
                                   .Bind(4, row.seq)
                                   .Step();
                if (rc == SQLITE_DONE)
                    break;
                if ((rc & 0xFF) != SQLITE_CONSTRAINT)
                    return FromSqlite(rc);
                name = row.name + "~" + std::to_string(n);
            }
            if (name != row.name) {
                notes.push_back("The " + what + " \"" + row.name +
                                "\" now counts as the same name as another one; it was kept as \"" +
                                name + "\".");
            }
        }
        return kErrorSuccess;
    };
    std::vector<Row> keys, values;
    if (const int rc = readRows("SELECT id, 0, name FROM keys ORDER BY id", keys);
        rc != SQLITE_DONE)
        return FromSqlite(rc);
    if (const int rc =
            readRows("SELECT key_id, seq, name FROM key_values ORDER BY key_id, seq", values);
        rc != SQLITE_DONE)
        return FromSqlite(rc);
    if (const Status status =
            refold("UPDATE keys SET name=?1, fold=?2 WHERE id=?3 AND ?4=0", keys, "key");
        status != kErrorSuccess)
        return status;
    if (const Status status = refold(
            "UPDATE key_values SET name=?1, fold=?2 WHERE key_id=?3 AND seq=?4", values, "value");
        status != kErrorSuccess)
        return status;
    const std::string version = "PRAGMA user_version=" + std::to_string(kSchemaVersion);
    if (const int rc = sqlite::Execute(db, version.c_str()); rc != SQLITE_OK)
        return FromSqlite(rc);
    return FromSqlite(tx.Commit());
}

Status HiveFile::Prepare() {
    sqlite3* db = m_db.get();
    m_findChild = Statement(db, "SELECT id FROM keys WHERE parent=?1 AND fold=?2");
    m_insertKey = Statement(db, "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
    m_keyAlive = Statement(db, "SELECT 1 FROM keys WHERE id=?1");
    m_childNames = Statement(db, "SELECT name FROM keys WHERE parent=?1 ORDER BY fold");
    m_firstChild = Statement(db, "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1");
    m_deleteKey = Statement(db, "DELETE FROM keys WHERE id=?1");
    m_deleteKeyValues = Statement(db, "DELETE FROM key_values WHERE key_id=?1");
    m_getValue = Statement(db, "SELECT type, data FROM key_values WHERE key_id=?1 AND fold=?2");
    // Overwriting keeps the value's place and the letter case of its first name.
    m_setValue = Statement(db,
                           "INSERT INTO key_values(key_id, name, fold, type, data, seq) "
                           "VALUES(?1, ?2, ?3, ?4, ?5, (SELECT COALESCE(MAX(seq), 0) + 1 "
                           "FROM key_values WHERE key_id=?1)) "
                           "ON CONFLICT(key_id, fold) DO UPDATE SET type=excluded.type, "
                           "data=excluded.data");
    m_deleteValue = Statement(db, "DELETE FROM key_values WHERE key_id=?1 AND fold=?2");
    m_values =
        Statement(db, "SELECT name, type, data FROM key_values WHERE key_id=?1 ORDER BY seq");
    for (const Statement* s :
         {&m_findChild, &m_insertKey, &m_keyAlive, &m_childNames, &m_firstChild, &m_deleteKey,
          &m_deleteKeyValues, &m_getValue, &m_setValue, &m_deleteValue, &m_values}) {
        if (!s->Valid())
            return FromSqlite(s->PrepareResult());
    }
    return kErrorSuccess;
}

Status HiveFile::RootId(std::string_view rootName, KeyId& id) {
    const std::string key(rootName);
    if (const auto it = m_rootIds.find(key); it != m_rootIds.end()) {
        id = it->second;
        return kErrorSuccess;
    }
    const Status status = FindChild(0, rootName, id);
    if (status == kErrorSuccess)
        m_rootIds.emplace(key, id);
    return status;
}

Status HiveFile::FindChild(KeyId parent, std::string_view name, KeyId& id) {
    // A file that was still empty when it was opened read-only may have been filled since.
    if (!m_findChild.Valid() && Prepare() != kErrorSuccess)
        return kErrorFileNotFound;
    const int rc = m_findChild.Start().Bind(1, parent).Bind(2, Fold(name)).Step();
    if (rc == SQLITE_ROW) {
        id = m_findChild.Int(0);
        m_findChild.Start();
        return kErrorSuccess;
    }
    return rc == SQLITE_DONE ? kErrorFileNotFound : FromSqlite(rc);
}

Status HiveFile::KeyAlive(KeyId id) {
    const int rc = m_keyAlive.Start().Bind(1, id).Step();
    m_keyAlive.Start();
    if (rc == SQLITE_ROW)
        return kErrorSuccess;
    return rc == SQLITE_DONE ? kErrorKeyDeleted : FromSqlite(rc);
}

Status HiveFile::FindOrCreateChild(KeyId parent, std::string_view name, KeyId& id) {
    KeyId child = 0;
    const Status status = FindChild(parent, name, child);
    if (status == kErrorFileNotFound) {
        const int rc = m_insertKey.Start().Bind(1, parent).Bind(2, name).Bind(3, Fold(name)).Step();
        if (rc != SQLITE_DONE)
            return FromSqlite(rc);
        id = sqlite3_last_insert_rowid(m_db.get());
        return kErrorSuccess;
    }
    if (status == kErrorSuccess)
        id = child;
    return status;
}

Status HiveFile::CreatePath(std::string_view rootName, KeyId start,
                            const std::vector<std::string_view>& segments, KeyId& id) {
    if (m_mode != Mode::ReadWrite)
        return kErrorAccessDenied;
    ScopedTransaction tx(m_db.get(), ScopedTransaction::Kind::Write);
    if (!tx.Active())
        return FromSqlite(tx.BeginResult());
    KeyId current = start;
    if (start == 0) {
        if (const Status status = FindOrCreateChild(0, rootName, current); status != kErrorSuccess)
            return status;
    } else if (const Status alive = KeyAlive(start); alive != kErrorSuccess) {
        return alive;
    }
    for (std::string_view segment : segments) {
        if (const Status status = FindOrCreateChild(current, segment, current);
            status != kErrorSuccess)
            return status;
    }
    if (const int rc = tx.Commit(); rc != SQLITE_OK)
        return FromSqlite(rc);
    id = current;
    return kErrorSuccess;
}

Status HiveFile::DeleteKey(KeyId id) {
    if (m_mode != Mode::ReadWrite)
        return kErrorAccessDenied;
    ScopedTransaction tx(m_db.get(), ScopedTransaction::Kind::Write);
    if (!tx.Active())
        return FromSqlite(tx.BeginResult());
    if (const Status alive = KeyAlive(id); alive != kErrorSuccess)
        return alive;
    bool has = false;
    if (const Status status = HasChild(id, has); status != kErrorSuccess)
        return status;
    if (has)
        return kErrorAccessDenied;
    if (const int rc = m_deleteKeyValues.Start().Bind(1, id).Step(); rc != SQLITE_DONE) {
        return FromSqlite(rc);
    }
    if (const int rc = m_deleteKey.Start().Bind(1, id).Step(); rc != SQLITE_DONE) {
        return FromSqlite(rc);
    }
    return FromSqlite(tx.Commit());
}

Status HiveFile::ChildNames(KeyId id, std::vector<std::string>& names) {
    names.clear();
    m_childNames.Start().Bind(1, id);
    int rc;
    while ((rc = m_childNames.Step()) == SQLITE_ROW)
        names.push_back(m_childNames.Text(0));
    return FromSqlite(rc);
}

Status HiveFile::HasChild(KeyId id, bool& has) {
    const int rc = m_firstChild.Start().Bind(1, id).Step();
    m_firstChild.Start();
    has = rc == SQLITE_ROW;
    return FromSqlite(rc);
}

Status HiveFile::GetValue(KeyId id, std::string_view name, std::uint32_t& type, std::string& data) {
    const int rc = m_getValue.Start().Bind(1, id).Bind(2, Fold(name)).Step();
    if (rc == SQLITE_ROW) {
        type = static_cast<std::uint32_t>(m_getValue.Int(0));
        data = m_getValue.Blob(1);
        m_getValue.Start();
        return kErrorSuccess;
    }
    return rc == SQLITE_DONE ? kErrorFileNotFound : FromSqlite(rc);
}

Status HiveFile::SetValue(KeyId id, std::string_view name, std::uint32_t type,
                          std::string_view data) {
    if (m_mode != Mode::ReadWrite)
        return kErrorAccessDenied;
    ScopedTransaction tx(m_db.get(), ScopedTransaction::Kind::Write);
    if (!tx.Active())
        return FromSqlite(tx.BeginResult());
    if (const Status alive = KeyAlive(id); alive != kErrorSuccess)
        return alive;
    const int rc = m_setValue.Start()
                       .Bind(1, id)
                       .Bind(2, name)
                       .Bind(3, Fold(name))
                       .Bind(4, static_cast<std::int64_t>(type))
                       .BindBlob(5, data)
                       .Step();
    if (rc != SQLITE_DONE)
        return FromSqlite(rc);
    return FromSqlite(tx.Commit());
}

Status HiveFile::DeleteValue(KeyId id, std::string_view name) {
    if (m_mode != Mode::ReadWrite)
        return kErrorAccessDenied;
    ScopedTransaction tx(m_db.get(), ScopedTransaction::Kind::Write);
    if (!tx.Active())
        return FromSqlite(tx.BeginResult());
    const int rc = m_deleteValue.Start().Bind(1, id).Bind(2, Fold(name)).Step();
    if (rc != SQLITE_DONE)
        return FromSqlite(rc);
    if (sqlite3_changes(m_db.get()) == 0)
        return kErrorFileNotFound;
    return FromSqlite(tx.Commit());
}

Status HiveFile::Values(KeyId id, std::vector<ValueRecord>& values) {
    values.clear();
    m_values.Start().Bind(1, id);
    int rc;
    while ((rc = m_values.Step()) == SQLITE_ROW) {
        values.push_back(
            {m_values.Text(0), static_cast<std::uint32_t>(m_values.Int(1)), m_values.Blob(2)});
    }
    return FromSqlite(rc);
}

}  // namespace quorvel::reg
