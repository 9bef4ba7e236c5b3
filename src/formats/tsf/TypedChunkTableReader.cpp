#include "formats/tsf/TypedChunkTableReader.h"

#include "formats/tsf/ChunkTableCacheResource.h"
#include "formats/tsf/TsfChunkCodec.h"

#include <algorithm>

TypedChunkTableReader::TypedChunkTableReader(const TsfDatabase& db, const QString& tableName,
                                             const TsfChunkTableMeta& meta, const QString& identity,
                                             TsfIndexMap locusMap, TsfIndexMap entityMap)
    : TsfTableReader(std::move(locusMap), std::move(entityMap)), m_tableName(tableName), m_meta(meta),
      m_tableKey(ChunkTableCacheResource::instance().acquireTableKey(identity)),
      m_select(db, QStringLiteral("SELECT chunk FROM %1 WHERE chunk_id = ?").arg(tableName).toUtf8()),
      m_remembered(size_t(std::max<qint64>(meta.fieldCount, 0))) {}

TypedChunkTableReader::~TypedChunkTableReader() {
    ChunkTableCacheResource::instance().releaseTableKey(m_tableKey);
}

const TsfValueArray* TypedChunkTableReader::chunkAt(qint64 row, int column, int* position, QString* error) {
    if (column < 0 || size_t(column) >= m_remembered.size() || row < 0 || row >= m_meta.recordCount) {
        *error = QStringLiteral("Error reading chunk: row %1 of column %2 is outside table %3")
                     .arg(row)
                     .arg(column)
                     .arg(m_tableName);
        return nullptr;
    }
    const qint64 chunkNumber = row >> m_meta.chunkBits;
    Remembered& remembered = m_remembered[size_t(column)];
    if (remembered.chunkNumber != chunkNumber) {
        TsfValueArrayPtr chunk = fetch(chunkNumber, column, error);
        if (!chunk)
            return nullptr;
        remembered.chunk = std::move(chunk);
        remembered.chunkNumber = chunkNumber;
    }
    *position = int(row & (m_meta.chunkSize() - 1));
    if (*position >= remembered.chunk->size()) {
        *error = QStringLiteral("Error reading chunk: chunk %1 of column %2 in table %3 holds %4 values")
                     .arg(chunkNumber)
                     .arg(column)
                     .arg(m_tableName)
                     .arg(remembered.chunk->size());
        return nullptr;
    }
    return remembered.chunk.get();
}

PVariant TypedChunkTableReader::valueAt(qint64 row, int column, QString* error) {
    int position = 0;
    const TsfValueArray* chunk = chunkAt(row, column, &position, error);
    return chunk ? chunk->valueAt(position) : PVariant();
}

TsfValueArrayPtr TypedChunkTableReader::fetch(qint64 chunkNumber, int column, QString* error) {
    ChunkTableCacheResource& cache = ChunkTableCacheResource::instance();
    if (TsfValueArrayPtr cached = cache.find(m_tableKey, column, chunkNumber))
        return cached;
    m_select.reset();
    m_select.bind(1, TsfLayout::chunkId(chunkNumber, column));
    if (!m_select.next()) {
        *error = QStringLiteral("Error reading chunk: ") +
                 (m_select.hasError() || !m_select.isValid()
                      ? m_select.errorText()
                      : QStringLiteral("no chunk %1 of column %2 in table %3")
                            .arg(chunkNumber)
                            .arg(column)
                            .arg(m_tableName));
        return nullptr;
    }
    int size = 0;
    const char* blob = m_select.columnBlob(0, &size);
    auto decoded = std::make_shared<TsfValueArray>();
    QString reason;
    if (!TsfChunkCodec::decode(blob, size, decoded.get(), &reason)) {
        *error = QStringLiteral("Error decompressing chunk: ") + reason;
        return nullptr;
    }
    m_select.reset();
    cache.insert(m_tableKey, column, chunkNumber, decoded);
    return decoded;
}
