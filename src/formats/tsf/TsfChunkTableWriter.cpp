#include "formats/tsf/TsfChunkTableWriter.h"

#include <algorithm>

TsfChunkTableWriter::TsfChunkTableWriter(TsfDatabase& db, const QString& tableName, qint64 tableId,
                                         const QVector<ValueType>& columnTypes, int chunkBits,
                                         TsfCompression method)
    : m_db(db), m_tableName(tableName), m_tableId(tableId), m_chunkBits(chunkBits), m_method(method),
      m_inserter(db, TsfRowInserter::Chunk, tableName) {
    m_columns.resize(size_t(columnTypes.size()));
    for (int c = 0; c < columnTypes.size(); ++c)
        m_columns[size_t(c)].buffer.reset(columnTypes.at(c));
}

qint64 TsfChunkTableWriter::recordCount(int column) const {
    const Column& state = m_columns[size_t(column)];
    return state.written + state.buffer.size();
}

bool TsfChunkTableWriter::flush(int column, QString* error) {
    Column& state = m_columns[size_t(column)];
    const int size = state.buffer.size();
    const int chunkSize = 1 << m_chunkBits;
    for (int start = 0; start < size; start += chunkSize) {
        const int count = std::min(chunkSize, size - start);
        const QByteArray blob = TsfChunkCodec::encodeAndCompress(state.buffer, count, start, m_method,
                                                                 nullptr, &state.stats, error);
        if (blob.isEmpty() || !m_inserter.insertChunk(TsfLayout::chunkId(state.chunks, column), blob, error))
            return false;
        ++state.chunks;
        state.written += count;
    }
    state.buffer.clear();
    return true;
}

bool TsfChunkTableWriter::finish(QString* error) {
    TsfChunkTableMeta meta;
    meta.fieldCount = columnCount();
    meta.recordCount = 0;
    meta.chunkBits = m_chunkBits;
    for (int c = 0; c < columnCount(); ++c) {
        if (!flush(c, error))
            return false;
        meta.recordCount = std::max(meta.recordCount, m_columns[size_t(c)].written);
    }
    return TsfCatalog(m_db).updateTableMeta(m_tableId, meta.toJson(), error);
}
