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
    return ++m_buffered < (1 << m_chunkBits) || submitChunks(error);
}

bool TsfMatrixTableWriter::submitChunks(QString* error) {
    if (!insertPending(error))
        return false;
    auto job = std::make_shared<TsfChunkEncoderPool::Job>();
    job->method = m_method;
    job->arrays.swap(m_columns);
    m_columns.swap(m_spare);
    if (m_columns.size() != job->arrays.size()) {
        m_columns.clear();
        for (const TsfValueArray& column : job->arrays)
            m_columns.emplace_back(column.type());
    }
    for (TsfValueArray& column : m_columns)
        column.clear();
    m_pool.submit(job);
    m_pending = std::move(job);
    m_pendingChunk = m_chunks++;
    m_buffered = 0;
    return true;
}

bool TsfMatrixTableWriter::insertPending(QString* error) {
    if (!m_pending)
        return true;
    const TsfChunkEncoderPool::JobPtr job = std::move(m_pending);
    if (!m_pool.wait(*job, error))
        return false;
    for (size_t e = 0; e < job->blobs.size(); ++e) {
        if (!m_inserter.insertChunk(TsfLayout::chunkId(m_pendingChunk, int(e)), job->blobs[e], error))
            return false;
        m_stats.uncompressedBytes += job->stats[e].uncompressedBytes;
        m_stats.compressedBytes += job->stats[e].compressedBytes;
    }
    m_spare.swap(job->arrays);
    return true;
}

bool TsfMatrixTableWriter::finish(QString* error) {
    if (m_buffered > 0 && !submitChunks(error))
        return false;
    if (!insertPending(error))
        return false;
    TsfChunkTableMeta meta;
    meta.fieldCount = columnCount();
    meta.recordCount = m_records;
    meta.chunkBits = m_chunkBits;
    return TsfCatalog(m_db).updateTableMeta(m_tableId, meta.toJson(), error);
}
