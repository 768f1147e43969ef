// Thin RAII layer over the SQLite C API: a connection and prepared statements that finalise
// themselves, and an error type carrying SQLite's result code.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace store::sql {

class Error : public std::runtime_error {
public:
    Error(int code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    int code() const noexcept { return m_code; }
    // True when SQLite reports the file as something other than a sound database. Errors of a
    // statement itself (SQLITE_ERROR, a bad binding) are the program's and are told as they are.
    bool isNotADatabase() const noexcept {
        const int primary = m_code & 0xFF;
        return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_FORMAT;
    }

private:
    int m_code;
};

struct ConnectionCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};

using ConnectionHandle = std::unique_ptr<sqlite3, ConnectionCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class Statement;

class Connection {
public:
    enum class Mode { ReadOnly, ReadWrite, Create };

    Connection() = default;
    Connection(const std::filesystem::path& file, Mode mode);

    sqlite3* get() const noexcept { return m_db.get(); }
    explicit operator bool() const noexcept { return m_db != nullptr; }

    void exec(const char* sql);
    Statement prepare(std::string_view sql) const;
    int64_t lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db.get()); }
    [[noreturn]] void fail(int rc) const;

private:
    ConnectionHandle m_db;
};

class Statement {
public:
    Statement() = default;
    Statement(const Connection& db, std::string_view sql);

    // Binding; indexes count from 1 as in SQLite.
    Statement& bind(int index, int64_t value);
    Statement& bind(int index, double value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::string_view bytes);
    // Binds bytes without a copy: they must stay as they are until the statement has run (large
    // values are not held twice).
    Statement& bindBlobInPlace(int index, std::string_view bytes);
    Statement& bindNull(int index);

    // Steps once; true when a row is available.
    bool step();
    // Runs a statement that returns no rows, then resets it for reuse.
    void run();
    void reset();

    int64_t int64(int col) const { return sqlite3_column_int64(m_stmt.get(), col); }
    double real(int col) const { return sqlite3_column_double(m_stmt.get(), col); }
    bool isNull(int col) const { return sqlite3_column_type(m_stmt.get(), col) == SQLITE_NULL; }
    // Text or blob bytes of a column, valid until the next step or reset.
    std::string_view bytes(int col) const;
    std::string text(int col) const { return std::string(bytes(col)); }

private:
    // Raises the connection's message for rc: found through the statement, so that a connection
    // moved after its statements were made is no concern of theirs.
    [[noreturn]] void fail(int rc) const;

    StatementHandle m_stmt;
};

// Two statements reset on every way out of a scope, so that they serve the next use.
struct ResetOnExit {
    Statement& a;
    Statement& b;
    ~ResetOnExit() {
        a.reset();
        b.reset();
    }
};

// A statement's rows gone through as a cursor: next() steps, row() is the statement.
struct StatementCursor {
    Statement& statement;
    bool next() { return statement.step(); }
    const Statement& row() const { return statement; }
};

// A transaction that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Connection& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_db;
    bool m_done = false;
};

} // namespace store::sql
