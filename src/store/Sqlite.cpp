#include "store/Sqlite.h"

namespace store::sql {

Connection::Connection(const std::filesystem::path& file, Mode mode) {
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    sqlite3* raw = nullptr;
    const std::u8string utf8 = file.u8string();
    const std::string name(utf8.begin(), utf8.end());
    const int rc = sqlite3_open_v2(name.c_str(), &raw, flags, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) {
        const std::string message = raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc);
        m_db.reset();
        throw Error(rc, message);
    }
    sqlite3_extended_result_codes(raw, 1);
    // A reader meeting a writer's commit (or a writer meeting a reader) waits rather than fails.
    sqlite3_busy_timeout(raw, 5000);
}

void Connection::exec(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db.get(), sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        throw Error(rc, text);
    }
}

Statement Connection::prepare(std::string_view sql) const {
    return Statement(*this, sql);
}

void Connection::fail(int rc) const {
    throw Error(rc, m_db ? sqlite3_errmsg(m_db.get()) : sqlite3_errstr(rc));
}

Statement::Statement(const Connection& db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db.get(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &raw, nullptr);
    m_stmt.reset(raw);
    if (rc != SQLITE_OK)
        db.fail(rc);
}

void Statement::fail(int rc) const {
    sqlite3* db = m_stmt ? sqlite3_db_handle(m_stmt.get()) : nullptr;
    throw Error(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

Statement& Statement::bind(int index, int64_t value) {
    if (const int rc = sqlite3_bind_int64(m_stmt.get(), index, value); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bind(int index, double value) {
    if (const int rc = sqlite3_bind_double(m_stmt.get(), index, value); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (const int rc =
            sqlite3_bind_text64(m_stmt.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        rc != SQLITE_OK)
        fail(rc);
    return *this;
}

namespace {

int BindBlob(sqlite3_stmt* stmt, int index, std::string_view bytes, sqlite3_destructor_type lifetime) {
    // A zero-length blob must still be a blob, not NULL.
    static const char kEmpty = 0;
    return sqlite3_bind_blob64(stmt, index, bytes.empty() ? &kEmpty : bytes.data(), bytes.size(), lifetime);
}

} // namespace

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    if (const int rc = BindBlob(m_stmt.get(), index, bytes, SQLITE_TRANSIENT); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindBlobInPlace(int index, std::string_view bytes) {
    if (const int rc = BindBlob(m_stmt.get(), index, bytes, SQLITE_STATIC); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

Statement& Statement::bindNull(int index) {
    if (const int rc = sqlite3_bind_null(m_stmt.get(), index); rc != SQLITE_OK)
        fail(rc);
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt.get());
    fail(rc);
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(m_stmt.get());
    sqlite3_clear_bindings(m_stmt.get());
}

std::string_view Statement::bytes(int col) const {
    const void* data = sqlite3_column_blob(m_stmt.get(), col);
    const int size = sqlite3_column_bytes(m_stmt.get(), col);
    if (!data || size <= 0)
        return {};
    return {static_cast<const char*>(data), static_cast<size_t>(size)};
}

Transaction::Transaction(Connection& db) : m_db(db) {
    m_db.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (!m_done) {
        try {
            m_db.exec("ROLLBACK");
        } catch (...) {
        }
    }
}

void Transaction::commit() {
    m_db.exec("COMMIT");
    m_done = true;
}

} // namespace store::sql
