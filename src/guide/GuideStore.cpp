#include "guide/GuideStore.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace quorvel::guide {
namespace {

using sqlite::Statement;

constexpr GuideTime kDay = 86400;
constexpr GuideTime kNoTime = std::numeric_limits<GuideTime>::min();

struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
using ChannelIds = std::unordered_map<std::string, std::int64_t, Hash, std::equal_to<>>;

std::string Table(char kind, std::int64_t generation) {
    return kind + std::to_string(generation);
}

std::string Message(sqlite3* db, const char* what) {
    return std::string(what) + ": " + sqlite3_errmsg(db);
}

void BindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    if (text.empty())
        sqlite3_bind_null(stmt, index);
    else
        sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
}

sqlite::StatementPtr Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                       &stmt, nullptr);
    return sqlite::StatementPtr(stmt);
}

// Drops one generation's tables and its mark, inside the transaction open or in one of its own.
bool DropGeneration(sqlite3* db, std::int64_t generation) {
    const std::string g = std::to_string(generation);
    const std::string sql = "DROP TABLE IF EXISTS p" + g + "; DROP TABLE IF EXISTS c" + g +
                            "; DROP TABLE IF EXISTS n" + g +
                            "; DELETE FROM generations WHERE id = " + g + ";";
    if (sqlite3_get_autocommit(db) == 0)
        return sqlite::Execute(db, sql.c_str()) == SQLITE_OK;
    const std::string wrapped = "BEGIN IMMEDIATE;" + sql + "COMMIT;";
    if (sqlite::Execute(db, wrapped.c_str()) == SQLITE_OK)
        return true;
    sqlite::Execute(db, "ROLLBACK");
    return false;
}

// Copies left half-written by a process that ended before finishing them.
void DropOrphans(sqlite3* db) {
    Statement orphans(db,
                      "SELECT id, owner FROM generations WHERE id NOT IN"
                      " (SELECT generation FROM guides WHERE generation IS NOT NULL)");
    std::vector<std::int64_t> dead;
    while (orphans.Step() == SQLITE_ROW) {
        const auto owner = static_cast<pid_t>(orphans.Int(1));
        if (owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH)
            dead.push_back(orphans.Int(0));
    }
    for (const std::int64_t generation : dead)
        DropGeneration(db, generation);
}

// Guides stored before programmes had an episode and a rating get the columns, empty: they
// fill in at the guide's next refresh.
bool AddProgrammeColumns(sqlite3* db) {
    Statement held(db, "SELECT generation FROM guides WHERE generation IS NOT NULL");
    std::vector<std::int64_t> old;
    while (held.Step() == SQLITE_ROW) {
        const std::string p = Table('p', held.Int(0));
        if (!Prepare(db, "SELECT episode, rating FROM " + p + " LIMIT 0") &&
            Prepare(db, "SELECT * FROM " + p + " LIMIT 0"))
            old.push_back(held.Int(0));
    }
    held = Statement();
    for (const std::int64_t generation : old) {
        const std::string p = Table('p', generation);
        const std::string alter = "BEGIN IMMEDIATE; ALTER TABLE " + p +
                                  " ADD COLUMN episode TEXT; ALTER TABLE " + p +
                                  " ADD COLUMN rating TEXT; COMMIT;";
        if (sqlite::Execute(db, alter.c_str()) == SQLITE_OK)
            continue;
        sqlite::Execute(db, "ROLLBACK");
        // Another process opening the store at the same moment may have added them.
        if (!Prepare(db, "SELECT episode, rating FROM " + p + " LIMIT 0"))
            return false;
    }
    return true;
}

StoredProgramme ReadProgramme(sqlite3_stmt* stmt, bool allTexts) {
    StoredProgramme programme;
    programme.start = sqlite3_column_int64(stmt, 0);
    programme.stop = sqlite3_column_int64(stmt, 1);
    for (int kind = 0; kind < (allTexts ? kProgrammeTextCount : 1); ++kind) {
        if (const auto* text = sqlite3_column_text(stmt, 2 + kind))
            programme.texts[kind].assign(
                reinterpret_cast<const char*>(text),
                static_cast<std::size_t>(sqlite3_column_bytes(stmt, 2 + kind)));
    }
    return programme;
}

// A guide's new copy goes into tables of its own generation, which no reader looks at until
// one short transaction points the guide at them and drops the old ones. The rows are
// committed in pieces as they come, so the log is copied into the store while the guide is
// still being read, not all at the end.
class StoreImport final : public GuideStore::Import {
public:
    StoreImport(sqlite3* db, std::string source, GuideTime now)
        : m_db(db), m_source(std::move(source)), m_span(KeptAround(now)), m_now(now) {
        Statement find(db, "SELECT coalesce(generation, 0) FROM guides WHERE source = ?1");
        find.Start().Bind(1, m_source);
        if (find.Step() == SQLITE_ROW)
            m_hadEarlier = find.Int(0) != 0;
        sqlite::ScopedTransaction reserve(db, sqlite::ScopedTransaction::Kind::Write);
        Statement mark(db, "INSERT INTO generations(owner) VALUES(?1)");
        mark.Start().Bind(1, static_cast<std::int64_t>(::getpid()));
        if (!reserve.Active() || mark.Step() != SQLITE_DONE) {
            m_error = Message(db, "the guide store is busy");
            return;
        }
        m_generation = sqlite3_last_insert_rowid(db);
        const std::string c = Table('c', m_generation);
        const std::string n = Table('n', m_generation);
        const std::string p = Table('p', m_generation);
        const std::string create =
            "CREATE TABLE " + c +
            "(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, declared INTEGER NOT NULL);"
            "CREATE TABLE " +
            n +
            "(channel INTEGER NOT NULL, name TEXT NOT NULL);"
            "CREATE TABLE " +
            p +
            "(channel INTEGER NOT NULL, start INTEGER NOT NULL, stop INTEGER, title TEXT,"
            " subtitle TEXT, description TEXT, category TEXT, episode TEXT, rating TEXT);"
            "CREATE INDEX " +
            p + "_at ON " + p + "(channel, start);";
        if (sqlite::Execute(db, create.c_str()) != SQLITE_OK || reserve.Commit() != SQLITE_OK) {
            m_error = Message(db, "the guide store could not be written");
            m_generation = 0;
            return;
        }
        m_insertProgramme = Prepare(db, "INSERT INTO " + p + " VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9)");
        m_insertChannel = Prepare(db, "INSERT INTO " + c + "(id, name, declared) VALUES(?1,?2,?3)");
        m_declare = Prepare(db, "UPDATE " + c + " SET declared = 1 WHERE id = ?1");
        m_insertName = Prepare(db, "INSERT INTO " + n + " VALUES(?1,?2)");
        if (!m_insertProgramme || !m_insertChannel || !m_declare || !m_insertName)
            m_error = Message(db, "the guide store could not be written");
        else
            BeginPiece();
    }

    ~StoreImport() override {
        // Not put in place: its tables go.
        m_insertProgramme.reset();
        m_insertChannel.reset();
        m_declare.reset();
        m_insertName.reset();
        if (m_inPiece)
            sqlite::Execute(m_db, "ROLLBACK");
        if (m_generation != 0 && !m_committed)
            DropGeneration(m_db, m_generation);
    }

    bool HasEarlierCopy() const override { return m_hadEarlier; }
    void SetValidators(std::string etag, std::string lastModified) override {
        m_etag = std::move(etag);
        m_lastModified = std::move(lastModified);
    }
    const std::string& Error() const override { return m_error; }
    std::uint64_t Programmes() const override { return m_programmes; }

    bool AddChannel(std::string_view id,
                    const std::vector<std::string_view>& displayNames) override {
        if (!m_error.empty())
            return false;
        const auto it = m_channels.find(id);
        std::int64_t key = 0;
        if (it == m_channels.end()) {
            key = NewChannel(id, true);
        } else {
            key = it->second;
            sqlite3_bind_int64(m_declare.get(), 1, key);
            Step(m_declare.get());
        }
        m_declared.insert(key);
        for (const auto name : displayNames) {
            if (name.empty())
                continue;
            sqlite3_bind_int64(m_insertName.get(), 1, key);
            BindText(m_insertName.get(), 2, name);
            Step(m_insertName.get());
        }
        return m_error.empty();
    }

    bool AddProgramme(std::string_view channel, GuideTime start, std::optional<GuideTime> stop,
                      const std::string_view (&texts)[kProgrammeTextCount]) override {
        if (!m_error.empty())
            return false;
        std::int64_t key = m_lastKey;
        if (channel != m_lastChannel || key == 0) {
            const auto it = m_channels.find(channel);
            key = it == m_channels.end() ? NewChannel(channel, false) : it->second;
            m_lastChannel.assign(channel);
            m_lastKey = key;
        }
        sqlite3_stmt* insert = m_insertProgramme.get();
        sqlite3_bind_int64(insert, 1, key);
        sqlite3_bind_int64(insert, 2, start);
        if (stop) {
            sqlite3_bind_int64(insert, 3, *stop);
            if (*stop <= m_span.from || start >= m_span.to) {
                ++m_outside;
            } else {
                m_firstStart = std::min(m_firstStart, start);
                m_lastStop = std::max(m_lastStop, *stop);
                m_longest = std::max(m_longest, *stop - start);
            }
        } else {
            sqlite3_bind_null(insert, 3);
            ++m_withoutStop;
        }
        for (int kind = 0; kind < kProgrammeTextCount; ++kind)
            BindText(insert, 4 + kind, texts[kind]);
        Step(insert);
        ++m_programmes;
        if (++m_inThisPiece >= kPieceRows)
            NextPiece();
        return m_error.empty();
    }

    bool Commit(std::string_view error) override {
        if (!m_error.empty())
            return false;
        const std::string c = Table('c', m_generation);
        const std::string n = Table('n', m_generation);
        const std::string p = Table('p', m_generation);
        // Made once every row is in: far quicker than keeping it up to date row by row.
        std::string work;
        if (m_withoutStop > 0) {
            // A programme without stop ends where the next of its channel starts (by start,
            // then file order); the last of a channel has none and goes.
            work += "UPDATE " + p + " SET stop = (SELECT q.start FROM " + p +
                    " q WHERE q.channel = " + p + ".channel AND (q.start > " + p +
                    ".start OR (q.start = " + p + ".start AND q.rowid > " + p +
                    ".rowid)) ORDER BY q.start, q.rowid LIMIT 1) WHERE stop IS NULL;"
                    "DELETE FROM " +
                    p + " WHERE stop IS NULL OR stop <= start;";
        }
        if (m_withoutStop > 0 || m_outside > 0) {
            work += "DELETE FROM " + p + " WHERE stop <= " + std::to_string(m_span.from) +
                    " OR start >= " + std::to_string(m_span.to) + ";";
        }
        work += "CREATE INDEX " + n + "_channel ON " + n + "(channel);";
        if (sqlite::Execute(m_db, work.c_str()) != SQLITE_OK) {
            m_error = Message(m_db, "the guide could not be stored");
            return false;
        }
        std::uint64_t count = m_programmes - m_outside - m_withoutStop;
        if (m_withoutStop > 0 || m_outside > 0) {
            Statement stats(m_db,
                            "SELECT count(*), coalesce(min(start), 0), coalesce(max(stop), 0),"
                            " coalesce(max(stop - start), 0) FROM " +
                                p);
            if (stats.Step() == SQLITE_ROW) {
                count = static_cast<std::uint64_t>(stats.Int(0));
                m_firstStart = stats.Int(1);
                m_lastStop = stats.Int(2);
                m_longest = stats.Int(3);
            }
        } else if (count == 0) {
            m_firstStart = m_lastStop = m_longest = 0;
        }
        m_programmes = count;
        // The switch: the guide now points at the new tables, the old ones go.
        std::int64_t old = 0;
        Statement find(m_db, "SELECT coalesce(generation, 0) FROM guides WHERE source = ?1");
        find.Start().Bind(1, m_source);
        if (find.Step() == SQLITE_ROW)
            old = find.Int(0);
        find = Statement();
        Statement upsert(
            m_db,
            "INSERT INTO guides(source, generation, channels, programmes, first_start, last_stop,"
            " longest, refreshed, error, checked, etag, last_modified)"
            " VALUES(?1,?2,?3,?4,?5,?6,?7,?8,?9,?8,?10,?11)"
            " ON CONFLICT(source) DO UPDATE SET generation = excluded.generation,"
            " channels = excluded.channels, programmes = excluded.programmes,"
            " first_start = excluded.first_start, last_stop = excluded.last_stop,"
            " longest = excluded.longest, refreshed = excluded.refreshed, error = excluded.error,"
            " checked = excluded.checked, etag = excluded.etag,"
            " last_modified = excluded.last_modified");
        upsert.Start()
            .Bind(1, m_source)
            .Bind(2, m_generation)
            .Bind(3, static_cast<std::int64_t>(m_declared.size()))
            .Bind(4, static_cast<std::int64_t>(count))
            .Bind(5, m_firstStart)
            .Bind(6, m_lastStop)
            .Bind(7, m_longest)
            .Bind(8, m_now)
            .Bind(9, error)
            .Bind(10, m_etag)
            .Bind(11, m_lastModified);
        const bool upserted = upsert.Step() == SQLITE_DONE;
        upsert = Statement();
        if (!upserted || (old != 0 && !DropGeneration(m_db, old)) || !EndPiece()) {
            m_error = Message(m_db, "the guide could not be stored");
            return false;
        }
        m_committed = true;
        return true;
    }

private:
    std::int64_t NewChannel(std::string_view id, bool declared) {
        const auto key = static_cast<std::int64_t>(m_channels.size()) + 1;
        m_channels.emplace(std::string(id), key);
        sqlite3_bind_int64(m_insertChannel.get(), 1, key);
        BindText(m_insertChannel.get(), 2, id);
        sqlite3_bind_int64(m_insertChannel.get(), 3, declared ? 1 : 0);
        Step(m_insertChannel.get());
        return key;
    }

    void Step(sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE && m_error.empty())
            m_error = Message(m_db, "the guide could not be stored");
    }

    // Rows per piece: about 16 MB of a guide with descriptions.
    static constexpr std::uint64_t kPieceRows = 65536;

    void BeginPiece() {
        if (sqlite::Execute(m_db, "BEGIN IMMEDIATE") != SQLITE_OK)
            m_error = Message(m_db, "the guide store is busy");
        else
            m_inPiece = true;
    }
    bool EndPiece() {
        if (!m_inPiece)
            return false;
        if (sqlite::Execute(m_db, "COMMIT") != SQLITE_OK)
            return false;
        m_inPiece = false;
        return true;
    }
    void NextPiece() {
        m_inThisPiece = 0;
        if (!EndPiece()) {
            m_error = Message(m_db, "the guide could not be stored");
            return;
        }
        BeginPiece();
    }

    sqlite3* m_db;
    std::string m_source;
    KeptSpan m_span;
    GuideTime m_now;
    std::string m_error;
    std::string m_etag;
    std::string m_lastModified;
    bool m_hadEarlier = false;
    bool m_inPiece = false;
    bool m_committed = false;
    std::uint64_t m_inThisPiece = 0;
    std::int64_t m_generation = 0;
    sqlite::StatementPtr m_insertProgramme;
    sqlite::StatementPtr m_insertChannel;
    sqlite::StatementPtr m_declare;
    sqlite::StatementPtr m_insertName;
    ChannelIds m_channels;
    std::unordered_set<std::int64_t> m_declared;
    std::string m_lastChannel;
    std::int64_t m_lastKey = 0;
    std::uint64_t m_programmes = 0;
    std::uint64_t m_outside = 0;
    std::uint64_t m_withoutStop = 0;
    GuideTime m_firstStart = std::numeric_limits<GuideTime>::max();
    GuideTime m_lastStop = kNoTime;
    GuideTime m_longest = 0;
};

}  // namespace

std::filesystem::path DefaultGuideStorePath() {
    std::filesystem::path cache;
    // Relative values are to be ignored, as the base directory rules say.
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        cache = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        cache = std::filesystem::path(home) / ".cache";
    else
        cache = std::filesystem::temp_directory_path();
    return cache / "quorvel" / "guide.sqlite";
}

KeptSpan KeptAround(GuideTime now) {
    return {now - 7 * kDay, now + 14 * kDay};
}

// Prepared reads per guide, made again when a guide was replaced.
struct GuideStore::Queries {
    struct PerGuide {
        std::int64_t generation = 0;
        GuideTime longest = 0;
        sqlite::StatementPtr onAir;
        sqlite::StatementPtr next;
        sqlite::StatementPtr range;
    };
    std::vector<PerGuide> guides;
};

GuideStore::GuideStore(sqlite::DatabasePtr db) : m_db(std::move(db)) {}
GuideStore::~GuideStore() = default;

std::unique_ptr<GuideStore> GuideStore::Open(const std::filesystem::path& path,
                                             std::string& error) {
    std::error_code ec;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ec);
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite::DatabasePtr db(raw);
    if (rc != SQLITE_OK) {
        error = path.string() + ": " + (raw ? sqlite3_errmsg(raw) : "cannot open");
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), 60'000);
    // Another program's database is left as it is, never given guide tables.
    Statement foreign(db.get(),
                      "SELECT count(*) > 0 AND sum(name = 'guides') = 0 FROM sqlite_schema");
    const int probe = foreign.Step();
    if (probe != SQLITE_ROW || foreign.Int(0) != 0) {
        error = path.string() + ": " +
                (probe == SQLITE_ROW ? "not a guide store" : sqlite3_errmsg(db.get()));
        return nullptr;
    }
    foreign = Statement();
    // WAL: readers go on reading the old guide while a new one is written.
    const char* setup =
        "PRAGMA page_size = 65536; PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
        "PRAGMA journal_size_limit = 67108864; PRAGMA cache_size = -16384;"
        "CREATE TABLE IF NOT EXISTS guides(source TEXT PRIMARY KEY, generation INTEGER,"
        " channels INTEGER NOT NULL DEFAULT 0, programmes INTEGER NOT NULL DEFAULT 0,"
        " first_start INTEGER NOT NULL DEFAULT 0, last_stop INTEGER NOT NULL DEFAULT 0,"
        " longest INTEGER NOT NULL DEFAULT 0, refreshed INTEGER NOT NULL DEFAULT 0,"
        " error TEXT NOT NULL DEFAULT '');"
        // Each copy being written marks its generation with the process writing it.
        "CREATE TABLE IF NOT EXISTS generations(id INTEGER PRIMARY KEY AUTOINCREMENT,"
        " owner INTEGER NOT NULL);"
        // Copied into the store every 16 MB of log, so the log stays small during an import.
        "PRAGMA wal_autocheckpoint = 256";
    // Columns a store made before them lacks.
    const char* added[] = {"checked INTEGER NOT NULL DEFAULT 0", "etag TEXT NOT NULL DEFAULT ''",
                           "last_modified TEXT NOT NULL DEFAULT ''"};
    char* message = nullptr;
    if (sqlite3_exec(db.get(), setup, nullptr, nullptr, &message) != SQLITE_OK) {
        error = path.string() + ": " + (message ? message : "not a guide store");
        sqlite3_free(message);
        return nullptr;
    }
    for (const char* column : added) {
        const std::string name(column, std::strchr(column, ' '));
        if (Prepare(db.get(), "SELECT " + name + " FROM guides LIMIT 0"))
            continue;
        const std::string alter = "ALTER TABLE guides ADD COLUMN " + std::string(column);
        if (sqlite::Execute(db.get(), alter.c_str()) != SQLITE_OK) {
            error = path.string() + ": " + sqlite3_errmsg(db.get());
            return nullptr;
        }
    }
    DropOrphans(db.get());
    if (!AddProgrammeColumns(db.get())) {
        error = path.string() + ": " + sqlite3_errmsg(db.get());
        return nullptr;
    }
    return std::unique_ptr<GuideStore>(new GuideStore(std::move(db)));
}

std::unique_ptr<GuideStore::Import> GuideStore::BeginImport(std::string_view source,
                                                            GuideTime now) {
    m_queries.reset();
    return std::make_unique<StoreImport>(m_db.get(), std::string(source), now);
}

bool GuideStore::RecordFailure(std::string_view source, std::string_view error, GuideTime now) {
    Statement note(m_db.get(),
                   "INSERT INTO guides(source, checked, error) VALUES(?1, ?2, ?3)"
                   " ON CONFLICT(source) DO UPDATE SET error = excluded.error,"
                   " checked = excluded.checked");
    note.Start().Bind(1, source).Bind(2, now).Bind(3, error);
    return note.Step() == SQLITE_DONE;
}

bool GuideStore::RecordUnchanged(std::string_view source, GuideTime now) {
    Statement note(m_db.get(), "UPDATE guides SET checked = ?2, error = '' WHERE source = ?1");
    note.Start().Bind(1, source).Bind(2, now);
    return note.Step() == SQLITE_DONE;
}

std::optional<StoredGuide> GuideStore::Guide(std::string_view source) {
    for (auto& guide : Guides()) {
        if (guide.source == source)
            return std::move(guide);
    }
    return std::nullopt;
}

bool RefreshDue(const StoredGuide& guide, GuideTime now, GuideTime interval) {
    if (!guide.held)
        return true;
    const GuideTime wait = guide.lastError.empty() ? interval : std::min<GuideTime>(interval, 3600);
    return now - guide.checked >= wait;
}

std::vector<StoredGuide> GuideStore::Guides() {
    std::vector<StoredGuide> guides;
    Statement list(m_db.get(),
                   "SELECT source, generation IS NOT NULL, channels, programmes, first_start,"
                   " last_stop, refreshed, error, checked, etag, last_modified FROM guides"
                   " ORDER BY rowid");
    while (list.Step() == SQLITE_ROW) {
        StoredGuide guide;
        guide.source = list.Text(0);
        guide.held = list.Int(1) != 0;
        guide.channels = static_cast<std::uint64_t>(list.Int(2));
        guide.programmes = static_cast<std::uint64_t>(list.Int(3));
        guide.firstStart = list.Int(4);
        guide.lastStop = list.Int(5);
        guide.refreshed = list.Int(6);
        guide.lastError = list.Text(7);
        guide.checked = list.Int(8);
        guide.etag = list.Text(9);
        guide.lastModified = list.Text(10);
        guides.push_back(std::move(guide));
    }
    return guides;
}

std::vector<StoredChannel> GuideStore::Channels() {
    std::vector<StoredChannel> channels;
    Statement generations(
        m_db.get(), "SELECT generation FROM guides WHERE generation IS NOT NULL ORDER BY rowid");
    std::vector<std::int64_t> list;
    while (generations.Step() == SQLITE_ROW)
        list.push_back(generations.Int(0));
    for (const std::int64_t g : list) {
        Statement names(m_db.get(), "SELECT c.name, n.name FROM " + Table('c', g) +
                                        " c LEFT JOIN " + Table('n', g) +
                                        " n ON n.channel = c.id ORDER BY c.id, n.rowid");
        while (names.Step() == SQLITE_ROW) {
            std::string id = names.Text(0);
            if (channels.empty() || channels.back().id != id)
                channels.push_back({std::move(id), {}});
            if (std::string name = names.Text(1); !name.empty())
                channels.back().displayNames.push_back(std::move(name));
        }
    }
    return channels;
}

GuideStore::Queries& GuideStore::CurrentQueries() {
    Statement list(
        m_db.get(),
        "SELECT generation, longest FROM guides WHERE generation IS NOT NULL ORDER BY rowid");
    std::vector<std::pair<std::int64_t, GuideTime>> now;
    while (list.Step() == SQLITE_ROW)
        now.emplace_back(list.Int(0), list.Int(1));
    bool same = m_queries && m_queries->guides.size() == now.size();
    for (std::size_t i = 0; same && i < now.size(); ++i)
        same = m_queries->guides[i].generation == now[i].first;
    if (same)
        return *m_queries;
    m_queries = std::make_unique<Queries>();
    for (const auto& [generation, longest] : now) {
        const std::string c = Table('c', generation);
        const std::string p = Table('p', generation);
        Queries::PerGuide guide;
        guide.generation = generation;
        guide.longest = longest;
        // A programme on air started at most `longest` before: the index walk stays short.
        guide.onAir =
            Prepare(m_db.get(), "SELECT p.start, p.stop, p.title FROM " + c + " c JOIN " + p +
                                    " p ON p.channel = c.id WHERE c.name = ?1 AND p.start <= ?2"
                                    " AND p.start > ?2 - ?3 AND p.stop > ?2"
                                    " ORDER BY p.start DESC, p.rowid DESC LIMIT 1");
        guide.next =
            Prepare(m_db.get(), "SELECT p.start, p.stop, p.title FROM " + c + " c JOIN " + p +
                                    " p ON p.channel = c.id WHERE c.name = ?1 AND"
                                    " p.start > ?2 ORDER BY p.start, p.rowid LIMIT 1");
        guide.range = Prepare(m_db.get(),
                              "SELECT p.start, p.stop, p.title, p.subtitle, p.description,"
                              " p.category, p.episode, p.rating FROM " +
                                  c + " c JOIN " + p +
                                  " p ON p.channel = c.id WHERE c.name = ?1 AND p.start < ?3"
                                  " AND p.start > ?2 - ?4 AND p.stop > ?2"
                                  " ORDER BY p.start, p.rowid");
        m_queries->guides.push_back(std::move(guide));
    }
    return *m_queries;
}

std::vector<std::optional<StoredProgramme>> GuideStore::OnAir(const std::vector<std::string>& ids,
                                                              GuideTime at) {
    std::vector<std::optional<StoredProgramme>> found(ids.size());
    // One snapshot: a guide replaced meanwhile is seen before or after, never half.
    sqlite::ScopedTransaction read(m_db.get(), sqlite::ScopedTransaction::Kind::Read);
    Queries& queries = CurrentQueries();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        for (auto& guide : queries.guides) {
            sqlite3_stmt* stmt = guide.onAir.get();
            if (!stmt)
                continue;
            sqlite3_bind_text64(stmt, 1, ids[i].data(), ids[i].size(), SQLITE_STATIC, SQLITE_UTF8);
            sqlite3_bind_int64(stmt, 2, at);
            sqlite3_bind_int64(stmt, 3, guide.longest);
            // Where several guides have one on air: the one that started latest, a tie to
            // the later guide.
            if (sqlite3_step(stmt) == SQLITE_ROW &&
                (!found[i] || sqlite3_column_int64(stmt, 0) >= found[i]->start))
                found[i] = ReadProgramme(stmt, false);
            sqlite3_reset(stmt);
        }
    }
    return found;
}

std::vector<NowAndNext> GuideStore::NowAndNextOf(const std::vector<ShiftedChannel>& channels,
                                                 GuideTime at) {
    std::vector<NowAndNext> found(channels.size());
    sqlite::ScopedTransaction read(m_db.get(), sqlite::ScopedTransaction::Kind::Read);
    Queries& queries = CurrentQueries();
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const std::string& id = channels[i].id;
        // A channel shifted by +1 h shows at 21:00 what the guide has at 20:00.
        const GuideTime moment = at - channels[i].shift;
        for (auto& guide : queries.guides) {
            sqlite3_stmt* onAir = guide.onAir.get();
            sqlite3_stmt* next = guide.next.get();
            if (!onAir || !next)
                continue;
            sqlite3_bind_text64(onAir, 1, id.data(), id.size(), SQLITE_STATIC, SQLITE_UTF8);
            sqlite3_bind_int64(onAir, 2, moment);
            sqlite3_bind_int64(onAir, 3, guide.longest);
            if (sqlite3_step(onAir) == SQLITE_ROW &&
                (!found[i].now || sqlite3_column_int64(onAir, 0) >= found[i].now->start))
                found[i].now = ReadProgramme(onAir, false);
            sqlite3_reset(onAir);
            sqlite3_bind_text64(next, 1, id.data(), id.size(), SQLITE_STATIC, SQLITE_UTF8);
            sqlite3_bind_int64(next, 2, moment);
            if (sqlite3_step(next) == SQLITE_ROW &&
                (!found[i].next || sqlite3_column_int64(next, 0) < found[i].next->start))
                found[i].next = ReadProgramme(next, false);
            sqlite3_reset(next);
        }
        for (auto* programme : {&found[i].now, &found[i].next}) {
            if (*programme) {
                (*programme)->start += channels[i].shift;
                (*programme)->stop += channels[i].shift;
            }
        }
    }
    return found;
}

bool GuideStore::RemoveGuide(std::string_view source) {
    sqlite::ScopedTransaction write(m_db.get(), sqlite::ScopedTransaction::Kind::Write);
    Statement find(m_db.get(), "SELECT coalesce(generation, 0) FROM guides WHERE source = ?1");
    find.Start().Bind(1, source);
    const std::int64_t generation = find.Step() == SQLITE_ROW ? find.Int(0) : 0;
    find = Statement();
    Statement remove(m_db.get(), "DELETE FROM guides WHERE source = ?1");
    remove.Start().Bind(1, source);
    const bool removed = remove.Step() == SQLITE_DONE;
    remove = Statement();
    m_queries.reset();
    return write.Active() && removed &&
           (generation == 0 || DropGeneration(m_db.get(), generation)) &&
           write.Commit() == SQLITE_OK;
}

std::vector<StoredProgramme> GuideStore::Programmes(std::string_view id, GuideTime from,
                                                    GuideTime to) {
    std::vector<StoredProgramme> programmes;
    sqlite::ScopedTransaction read(m_db.get(), sqlite::ScopedTransaction::Kind::Read);
    Queries& queries = CurrentQueries();
    for (auto& guide : queries.guides) {
        sqlite3_stmt* stmt = guide.range.get();
        if (!stmt)
            continue;
        sqlite3_bind_text64(stmt, 1, id.data(), id.size(), SQLITE_STATIC, SQLITE_UTF8);
        sqlite3_bind_int64(stmt, 2, from);
        sqlite3_bind_int64(stmt, 3, to);
        sqlite3_bind_int64(stmt, 4, guide.longest);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            programmes.push_back(ReadProgramme(stmt, true));
        sqlite3_reset(stmt);
    }
    std::stable_sort(programmes.begin(), programmes.end(),
                     [](const auto& a, const auto& b) { return a.start < b.start; });
    return programmes;
}

std::vector<GuideStore::FoundProgramme> GuideStore::FindTitles(std::string_view text,
                                                               GuideTime from, GuideTime to,
                                                               std::size_t limit) {
    std::vector<FoundProgramme> found;
    if (text.empty() || limit == 0)
        return found;
    sqlite::ScopedTransaction read(m_db.get(), sqlite::ScopedTransaction::Kind::Read);
    Queries& queries = CurrentQueries();
    for (const auto& guide : queries.guides) {
        const std::string c = Table('c', guide.generation);
        const std::string p = Table('p', guide.generation);
        // instr, not LIKE: the text's own % and _ stay letters.
        Statement find(m_db.get(),
                       "SELECT p.start, p.stop, p.title, p.subtitle, p.description, p.category,"
                       " p.episode, p.rating, c.name FROM " +
                           p + " p JOIN " + c +
                           " c ON c.id = p.channel WHERE instr(lower(p.title), lower(?1)) > 0"
                           " AND p.start < ?3 AND p.stop > ?2 ORDER BY p.start LIMIT ?4");
        find.Start().Bind(1, text).Bind(2, from).Bind(3, to).Bind(4,
                                                                  static_cast<std::int64_t>(limit));
        while (find.Step() == SQLITE_ROW) {
            FoundProgramme one;
            one.programme.start = find.Int(0);
            one.programme.stop = find.Int(1);
            for (int kind = 0; kind < kProgrammeTextCount; ++kind)
                one.programme.texts[kind] = find.Text(2 + kind);
            one.channel = find.Text(2 + kProgrammeTextCount);
            found.push_back(std::move(one));
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.programme.start < b.programme.start;
    });
    if (found.size() > limit)
        found.resize(limit);
    return found;
}

}  // namespace quorvel::guide
