#include "registry/Sqlite.h"

namespace quorvel::sqlite {

Statement::Statement(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* stmt = nullptr;
    m_prepareResult = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                         SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    m_stmt.reset(stmt);
}

Statement& Statement::Start() {
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(m_stmt.get(), index, value);
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
    // An empty text must still be a text, not NULL.
    sqlite3_bind_text64(m_stmt.get(), index, text.data() ? text.data() : "", text.size(),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

Statement& Statement::BindBlob(int index, std::string_view bytes) {
    // A zero-length blob must still be a blob, not NULL.
    static const char empty = 0;
    sqlite3_bind_blob64(m_stmt.get(), index, bytes.empty() ? &empty : bytes.data(), bytes.size(),
                        SQLITE_TRANSIENT);
    return *this;
}

int Statement::Step() {
    const int rc = sqlite3_step(m_stmt.get());
    if (rc != SQLITE_ROW)
        sqlite3_reset(m_stmt.get());
    return rc;
}

std::int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(m_stmt.get(), column);
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt.get(), column);
    const int size = sqlite3_column_bytes(m_stmt.get(), column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}

std::string Statement::Blob(int column) const {
    const void* data = sqlite3_column_blob(m_stmt.get(), column);
    const int size = sqlite3_column_bytes(m_stmt.get(), column);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size))
                : std::string();
}

ScopedTransaction::ScopedTransaction(sqlite3* db, Kind kind) : m_db(db) {
    m_nested = sqlite3_get_autocommit(db) == 0;
    m_beginResult = Execute(db, m_nested              ? "SAVEPOINT nested"
                                : kind == Kind::Write ? "BEGIN IMMEDIATE"
                                                      : "BEGIN");
    m_active = m_beginResult == SQLITE_OK;
}

ScopedTransaction::~ScopedTransaction() {
    if (m_active)
        Execute(m_db, m_nested ? "ROLLBACK TO nested; RELEASE nested" : "ROLLBACK");
}

int ScopedTransaction::Commit() {
    if (!m_active)
        return m_beginResult;
    const int rc = Execute(m_db, m_nested ? "RELEASE nested" : "COMMIT");
    // A failed COMMIT (busy) leaves the transaction open; the destructor rolls it back.
    if (rc == SQLITE_OK)
        m_active = false;
    return rc;
}

int Execute(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

}  // namespace quorvel::sqlite
