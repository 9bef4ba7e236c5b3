#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection to a TSF file or an in-memory TSF ("[memory]..." names, opened through
// "file:%1?mode=memory&cache=shared" so that every connection of the process sees one database).
class TsfDatabase {
public:
    enum class Mode {
        ReadOnly,  // readers: the file must exist and is never written
        ReadWrite, // an existing file, changed in place
        Create     // a new file (or a fresh in-memory one) with the TSF pragmas
    };

    TsfDatabase() = default;
    ~TsfDatabase();
    TsfDatabase(const TsfDatabase&) = delete;
    TsfDatabase& operator=(const TsfDatabase&) = delete;
    TsfDatabase(TsfDatabase&& other) noexcept;
    TsfDatabase& operator=(TsfDatabase&& other) noexcept;

    static bool isMemoryName(const QString& path) { return path.startsWith(QLatin1String("[memory]")); }

    // Opens the path; false with the engine's message.
    bool open(const QString& path, Mode mode, QString* error);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    const QString& path() const { return m_path; }

    // Runs one or more statements; false with the engine's message.
    bool exec(const QByteArray& sql, QString* error);
    qint64 lastInsertRowId() const;
    bool hasTable(const QString& name) const;
    // Bytes the database occupies (page count times page size): a bound on what it can hold.
    qint64 byteSize() const;

private:
    sqlite3* m_db = nullptr;
    QString m_path;
};

// A prepared statement. Binding indexes start at 1, column indexes at 0. A statement that failed
// to prepare reports the engine's message through errorText() and every step fails.
class TsfStatement {
public:
    TsfStatement() = default;
    TsfStatement(const TsfDatabase& db, const QByteArray& sql);
    ~TsfStatement();
    TsfStatement(const TsfStatement&) = delete;
    TsfStatement& operator=(const TsfStatement&) = delete;
    TsfStatement(TsfStatement&& other) noexcept;
    TsfStatement& operator=(TsfStatement&& other) noexcept;

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }
    const QString& errorText() const { return m_error; }

    TsfStatement& bindNull(int index);
    TsfStatement& bind(int index, int value);
    TsfStatement& bind(int index, qint64 value);
    TsfStatement& bind(int index, double value);
    // Texts are copied into the statement.
    TsfStatement& bindText(int index, const QByteArray& utf8);
    TsfStatement& bindText(int index, const QString& text);
    // The bytes must stay alive until the statement is reset.
    TsfStatement& bindBlob(int index, const char* data, int size);

    // Steps once: true when a row is available; false at the end or on error (see hasError()).
    bool next();
    // Steps to completion and resets the statement for reuse; false with the engine's message.
    bool run(QString* error = nullptr);
    bool hasError() const { return !m_error.isEmpty(); }
    // Makes the statement ready for new bindings; clears the error of the last step.
    void reset();

    bool isNull(int column) const;
    int columnInt(int column) const;
    qint64 columnInt64(int column) const;
    double columnDouble(int column) const;
    QByteArray columnText(int column) const;
    QString columnString(int column) const { return QString::fromUtf8(columnText(column)); }
    // Points into the engine's row, valid until the next step or reset.
    const char* columnBlob(int column, int* size) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_error;
};
