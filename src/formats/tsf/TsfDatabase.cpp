#include "formats/tsf/TsfDatabase.h"

#include <sqlite3.h>

namespace {

const char* const kPragmas[] = {"PRAGMA temp_store = MEMORY;", "PRAGMA encoding=\"UTF-8\";",
                                "PRAGMA main.synchronous=OFF;", "PRAGMA main.page_size=8192;",
                                "PRAGMA main.cache_size=-32768;"};

QString engineMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

} // namespace

TsfDatabase::~TsfDatabase() {
    close();
}

TsfDatabase::TsfDatabase(TsfDatabase&& other) noexcept : m_db(other.m_db), m_path(std::move(other.m_path)) {
    other.m_db = nullptr;
}

TsfDatabase& TsfDatabase::operator=(TsfDatabase&& other) noexcept {
    if (this != &other) {
        close();
        m_db = other.m_db;
        m_path = std::move(other.m_path);
        other.m_db = nullptr;
    }
    return *this;
}

bool TsfDatabase::open(const QString& path, Mode mode, QString* error) {
    close();
    int flags = SQLITE_OPEN_NOMUTEX;
    flags |= mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    QByteArray name = path.toUtf8();
    if (isMemoryName(path)) {
        flags |= SQLITE_OPEN_URI | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        flags &= ~SQLITE_OPEN_READONLY;
        name = QStringLiteral("file:%1?mode=memory&cache=shared").arg(path).toUtf8();
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(name.constData(), &db, flags, nullptr) != SQLITE_OK) {
        *error = engineMessage(db);
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    m_path = path;
    sqlite3_extended_result_codes(m_db, 1);
    if (mode == Mode::ReadOnly && isMemoryName(path))
        exec("PRAGMA query_only = ON;", nullptr);
    if (mode == Mode::Create) {
        // A pragma the engine refuses does not stop the open.
        for (const char* pragma : kPragmas)
            exec(pragma, nullptr);
    }
    return true;
}

void TsfDatabase::close() {
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool TsfDatabase::exec(const QByteArray& sql, QString* error) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = message ? QString::fromUtf8(message) : engineMessage(m_db);
    sqlite3_free(message);
    return false;
}

qint64 TsfDatabase::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

bool TsfDatabase::hasTable(const QString& name) const {
    TsfStatement query(*this, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?;");
    query.bindText(1, name);
    return query.next();
}

qint64 TsfDatabase::byteSize() const {
    TsfStatement pages(*this, "PRAGMA page_count;");
    TsfStatement pageSize(*this, "PRAGMA page_size;");
    return pages.next() && pageSize.next() ? pages.columnInt64(0) * pageSize.columnInt64(0) : 0;
}

TsfStatement::TsfStatement(const TsfDatabase& db, const QByteArray& sql) : m_db(db.handle()) {
    if (!m_db) {
        m_error = QStringLiteral("Database is not open");
        return;
    }
    if (sqlite3_prepare_v2(m_db, sql.constData(), sql.size(), &m_stmt, nullptr) != SQLITE_OK) {
        m_error = engineMessage(m_db);
        m_stmt = nullptr;
    }
}

TsfStatement::~TsfStatement() {
    sqlite3_finalize(m_stmt);
}

TsfStatement::TsfStatement(TsfStatement&& other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_error(std::move(other.m_error)) {
    other.m_stmt = nullptr;
}

TsfStatement& TsfStatement::operator=(TsfStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        m_error = std::move(other.m_error);
        other.m_stmt = nullptr;
    }
    return *this;
}

TsfStatement& TsfStatement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
    return *this;
}

TsfStatement& TsfStatement::bind(int index, int value) {
    sqlite3_bind_int(m_stmt, index, value);
    return *this;
}

TsfStatement& TsfStatement::bind(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

TsfStatement& TsfStatement::bind(int index, double value) {
    sqlite3_bind_double(m_stmt, index, value);
    return *this;
}

TsfStatement& TsfStatement::bindText(int index, const QByteArray& utf8) {
    sqlite3_bind_text(m_stmt, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
    return *this;
}

TsfStatement& TsfStatement::bindText(int index, const QString& text) {
    return bindText(index, text.toUtf8());
}

TsfStatement& TsfStatement::bindBlob(int index, const char* data, int size) {
    sqlite3_bind_blob(m_stmt, index, data, size, SQLITE_STATIC);
    return *this;
}

bool TsfStatement::next() {
    if (!m_stmt)
        return false;
    const int status = sqlite3_step(m_stmt);
    if (status == SQLITE_ROW)
        return true;
    if (status != SQLITE_DONE)
        m_error = engineMessage(m_db);
    return false;
}

bool TsfStatement::run(QString* error) {
    while (next()) {
    }
    const bool ok = !hasError();
    if (!ok && error)
        *error = m_error;
    reset();
    return ok;
}

void TsfStatement::reset() {
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        m_error.clear();
    }
}

bool TsfStatement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

int TsfStatement::columnInt(int column) const {
    return sqlite3_column_int(m_stmt, column);
}

qint64 TsfStatement::columnInt64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double TsfStatement::columnDouble(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

QByteArray TsfStatement::columnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? QByteArray(text, sqlite3_column_bytes(m_stmt, column)) : QByteArray();
}

const char* TsfStatement::columnBlob(int column, int* size) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    *size = sqlite3_column_bytes(m_stmt, column);
    return data;
}
