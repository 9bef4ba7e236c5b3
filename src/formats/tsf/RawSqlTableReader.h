#pragma once

#include "formats/tsf/TsfTableReader.h"

#include <QStringList>

// Reads a "raw" table: an ordinary SQL table whose rows are fetched one at a time by their id
// column. `table_meta` may name the id column (`id_field_name`, else the table's rowid) and an
// offset added to record indexes to give ids (`id_offset`, else 0, or 1 for the rowid). The
// columns are the table's own, in order. The last row read is kept, so reading several fields
// of one record runs one query.
class RawSqlTableReader : public TsfTableReader {
public:
    // Null with a message when the table meta does not parse or a name is not a plain identifier.
    static std::unique_ptr<RawSqlTableReader> open(const TsfDatabase& db, const QString& tableName,
                                                   const QByteArray& tableMeta, TsfIndexMap locusMap,
                                                   TsfIndexMap entityMap, QString* error);

    qint64 rowCount() const override { return m_rowCount; }
    // INTEGER columns give Int (Int64 when they do not fit), REAL Float64, TEXT String, BLOB Byte
    // Array and NULL an invalid value.
    PVariant valueAt(qint64 row, int column, QString* error) override;

private:
    RawSqlTableReader(TsfIndexMap locusMap, TsfIndexMap entityMap)
        : TsfTableReader(std::move(locusMap), std::move(entityMap)) {}
    bool loadRow(qint64 row, QString* error);

    QStringList m_columns;
    qint64 m_idOffset = 0;
    qint64 m_rowCount = 0;
    TsfStatement m_select;
    qint64 m_loadedRow = -1;
    PVariantVector m_values;
};
