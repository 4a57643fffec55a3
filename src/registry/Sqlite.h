#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quorvel::sqlite {

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using DatabasePtr = std::unique_ptr<sqlite3, DatabaseCloser>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// A prepared statement that is reset and cleared each time it is bound afresh, so one
// prepared statement serves every call of the same query.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, std::string_view sql);

    bool Valid() const { return m_stmt != nullptr; }
    int PrepareResult() const { return m_prepareResult; }

    Statement& Start();  // reset and clear bindings
    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, std::string_view bytes);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    std::int64_t Int(int column) const;
    std::string Text(int column) const;
    std::string Blob(int column) const;

private:
    StatementPtr m_stmt;
    int m_prepareResult = SQLITE_OK;
};

// Opens a write transaction at once (BEGIN IMMEDIATE) so that two writers queue on the
// busy timeout instead of failing half-way; rolls back unless Commit() succeeded. Inside a
// transaction already open it is a savepoint of that one.
class ScopedTransaction {
public:
    enum class Kind { Read, Write };
    ScopedTransaction(sqlite3* db, Kind kind);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;

    int BeginResult() const { return m_beginResult; }
    bool Active() const { return m_active; }
    int Commit();

private:
    sqlite3* m_db = nullptr;
    int m_beginResult = SQLITE_OK;
    bool m_active = false;
    bool m_nested = false;
};

int Execute(sqlite3* db, const char* sql);

}  // namespace quorvel::sqlite
