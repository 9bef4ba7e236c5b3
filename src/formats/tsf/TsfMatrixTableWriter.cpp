#include "formats/tsf/TsfMatrixTableWriter.h"

TsfMatrixTableWriter::TsfMatrixTableWriter(TsfDatabase& db, const QString& tableName, qint64 tableId,
                                           ValueType type, int entityCount, int chunkBits,
                                           TsfCompression method, TsfChunkEncoderPool& pool)
    : m_db(db), m_tableId(tableId), m_chunkBits(chunkBits), m_method(method), m_pool(pool),
      m_inserter(db, TsfRowInserter::Chunk, tableName) {
    m_columns.reserve(size_t(entityCount));
    for (int e = 0; e < entityCount; ++e)
        m_columns.emplace_back(type);
}

bool TsfMatrixTableWriter::recordDone(QString* error) {
    ++m_records;
    return ++m_buffered < (1 << m_chunkBits) || writeChunks(error);
}

bool TsfMatrixTableWriter::writeChunks(QString* error) {
    for (TsfCompressionStats& stats : m_columnStats)
        stats = TsfCompressionStats();
    if (!m_pool.encode(m_columns, m_method, &m_blobs, &m_columnStats, error))
        return false;
    for (int e = 0; e < columnCount(); ++e) {
        if (!m_inserter.insertChunk(TsfLayout::chunkId(m_chunks, e), m_blobs[size_t(e)], error))
            return false;
        m_stats.uncompressedBytes += m_columnStats[size_t(e)].uncompressedBytes;
        m_stats.compressedBytes += m_columnStats[size_t(e)].compressedBytes;
        m_columns[size_t(e)].clear();
    }
    ++m_chunks;
    m_buffered = 0;
    return true;
}

bool TsfMatrixTableWriter::finish(QString* error) {
    if (m_buffered > 0 && !writeChunks(error))
        return false;
    TsfChunkTableMeta meta;
    meta.fieldCount = columnCount();
    meta.recordCount = m_records;
    meta.chunkBits = m_chunkBits;
    return TsfCatalog(m_db).updateTableMeta(m_tableId, meta.toJson(), error);
}
