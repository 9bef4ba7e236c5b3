#include "formats/tsf/RawSqlTableReader.h"

#include "formats/tsf/TsfLayout.h"
#include "meta/Json.h"

#include <sqlite3.h>

#include <limits>

namespace {

bool refuseName(const QString& name, QString* error) {
    *error = QStringLiteral("Invalid table or column name %1").arg(name);
    return false;
}

bool readColumns(const TsfDatabase& db, const QString& tableName, QStringList* columns, QString* error) {
    TsfStatement info(db, QStringLiteral("PRAGMA table_info(%1);").arg(tableName).toUtf8());
    while (info.next()) {
        const QString name = info.columnString(1);
        if (!TsfLayout::isPlainIdentifier(name))
            return refuseName(name, error);
        columns->append(name);
    }
    if (info.hasError() || !info.isValid()) {
        *error = info.errorText();
        return false;
    }
    if (columns->isEmpty()) {
        *error = QStringLiteral("Table %1 has no columns").arg(tableName);
        return false;
    }
    return true;
}

PVariant rowValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_column_int64(statement, column);
        if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max())
            return PVariant(int(value));
        return PVariant(static_cast<long long>(value));
    }
    case SQLITE_FLOAT:
        return PVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return PVariant(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB:
        return PVariant::byteArray(
            QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                       sqlite3_column_bytes(statement, column)));
    default:
        return PVariant();
    }
}

} // namespace

std::unique_ptr<RawSqlTableReader> RawSqlTableReader::open(const TsfDatabase& db, const QString& tableName,
                                                           const QByteArray& tableMeta, TsfIndexMap locusMap,
                                                           TsfIndexMap entityMap, QString* error) {
    PVariant meta;
    if (!tableMeta.isEmpty() && !Json::read(tableMeta, meta, error))
        return nullptr;
    QString idColumn = meta.map().value("id_field_name").toQString();
    bool hasOffset = false;
    qint64 idOffset = meta.map().value("id_offset").toInt64(&hasOffset);
    if (idColumn.isEmpty())
        idColumn = QStringLiteral("rowid");
    if (!hasOffset)
        idOffset = idColumn == QLatin1String("rowid") ? 1 : 0;
    if (!TsfLayout::isPlainIdentifier(tableName) && !refuseName(tableName, error))
        return nullptr;
    if (!TsfLayout::isPlainIdentifier(idColumn) && !refuseName(idColumn, error))
        return nullptr;
    std::unique_ptr<RawSqlTableReader> reader(
        new RawSqlTableReader(std::move(locusMap), std::move(entityMap)));
    if (!readColumns(db, tableName, &reader->m_columns, error))
        return nullptr;
    reader->m_idOffset = idOffset;
    TsfStatement count(db, QStringLiteral("SELECT MAX(%1) FROM %2;").arg(idColumn, tableName).toUtf8());
    if (!count.next()) {
        *error = count.errorText();
        return nullptr;
    }
    reader->m_rowCount = count.isNull(0) ? 0 : count.columnInt64(0) - idOffset + 1;
    reader->m_select =
        TsfStatement(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                             .arg(reader->m_columns.join(QLatin1String(", ")), tableName, idColumn)
                             .toUtf8());
    if (!reader->m_select.isValid()) {
        *error = reader->m_select.errorText();
        return nullptr;
    }
    return reader;
}

bool RawSqlTableReader::loadRow(qint64 row, QString* error) {
    if (row == m_loadedRow)
        return true;
    m_select.reset();
    m_select.bind(1, row + m_idOffset);
    if (!m_select.next()) {
        *error =
            m_select.hasError() ? m_select.errorText() : QStringLiteral("No row %1 in raw table").arg(row);
        m_loadedRow = -1;
        return false;
    }
    m_values.resize(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c)
        m_values[c] = rowValue(m_select.handle(), c);
    m_loadedRow = row;
    return true;
}

PVariant RawSqlTableReader::valueAt(qint64 row, int column, QString* error) {
    if (column < 0 || column >= m_columns.size()) {
        *error = QStringLiteral("No column %1 in raw table").arg(column);
        return PVariant();
    }
    return loadRow(row, error) ? m_values.at(column) : PVariant();
}
