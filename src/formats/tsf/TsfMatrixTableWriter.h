#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfChunkEncoderPool.h"

#include <vector>

// Fills the chunk table of one matrix field: one column per entity, one row per record. Every
// record adds a value to every column, so the columns fill in step; each time they hold a full
// chunk, all of them go to the encoder pool as one job and the writer fills a second set of
// columns meanwhile. A job's chunks are inserted, as chunk (chunk number << 32) + entity, when
// the next set is full or the table finishes.
class TsfMatrixTableWriter {
public:
    TsfMatrixTableWriter(TsfDatabase& db, const QString& tableName, qint64 tableId, ValueType type,
                         int entityCount, int chunkBits, TsfCompression method, TsfChunkEncoderPool& pool);

    int columnCount() const { return int(m_columns.size()); }
    TsfValueArray& column(int entity) { return m_columns[size_t(entity)]; }
    // Call once a record's values are in every column.
    bool recordDone(QString* error);
    // Writes the partial last chunks and the table's `table_meta`.
    bool finish(QString* error);
    // Sizes of every chunk written so far.
    const TsfCompressionStats& stats() const { return m_stats; }

private:
    // Hands the full columns to the pool and inserts the chunks of the job before.
    bool submitChunks(QString* error);
    bool insertPending(QString* error);

    TsfDatabase& m_db;
    qint64 m_tableId;
    int m_chunkBits;
    TsfCompression m_method;
    TsfChunkEncoderPool& m_pool;
    std::vector<TsfValueArray> m_columns;
    TsfChunkEncoderPool::JobPtr m_pending; // being encoded: the chunks of m_pendingChunk
    qint64 m_pendingChunk = 0;
    std::vector<TsfValueArray> m_spare; // the columns of the last job inserted, to be refilled
    TsfCompressionStats m_stats;
    TsfRowInserter m_inserter;
    qint64 m_chunks = 0;
    qint64 m_records = 0;
    int m_buffered = 0;
};
