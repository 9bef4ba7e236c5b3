#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfChunkCodec.h"

#include <vector>

// Fills one chunk table column by column. Values are appended to each column's buffer; a full
// buffer (2^chunkBits values) is encoded and inserted as one chunk with chunk id
// (chunk number << 32) + column, and the buffer is reused for the next chunk. finish() writes
// every partial last chunk and the table's `table_meta`.
class TsfChunkTableWriter {
public:
    // The table must exist (TsfCatalog::createChunkTable) and be registered under tableId.
    TsfChunkTableWriter(TsfDatabase& db, const QString& tableName, qint64 tableId,
                        const QVector<ValueType>& columnTypes, int chunkBits, TsfCompression method);

    int columnCount() const { return int(m_columns.size()); }
    int chunkBits() const { return m_chunkBits; }
    // Records per chunk may be fixed late (automatic chunk size), before the first flush.
    void setChunkBits(int chunkBits) { m_chunkBits = chunkBits; }
    TsfValueArray& column(int column) { return m_columns[size_t(column)].buffer; }
    qint64 recordCount(int column) const;
    const TsfCompressionStats& stats(int column) const { return m_columns[size_t(column)].stats; }

    // Writes the column's chunk when its buffer is full; call after appending to it.
    bool flushIfFull(int column, QString* error) {
        return m_columns[size_t(column)].buffer.size() < (1 << m_chunkBits) || flush(column, error);
    }
    // Writes the column's buffered values as its next chunk.
    bool flush(int column, QString* error);
    // Flushes every column and writes `table_meta` (field_count = columns, record_count = the
    // longest column).
    bool finish(QString* error);

private:
    struct Column {
        TsfValueArray buffer;
        qint64 chunks = 0;
        qint64 written = 0;
        TsfCompressionStats stats;
    };

    TsfDatabase& m_db;
    QString m_tableName;
    qint64 m_tableId;
    int m_chunkBits;
    TsfCompression m_method;
    std::vector<Column> m_columns;
    TsfRowInserter m_inserter;
};
