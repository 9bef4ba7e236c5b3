#include "formats/tsf/TypedChunkTableReader.h"

#include "formats/tsf/ChunkTableCacheResource.h"
#include "formats/tsf/TsfChunkCodec.h"

#include <QThreadPool>

#include <algorithm>

TypedChunkTableReader::TypedChunkTableReader(const TsfDatabase& db, const QString& tableName,
                                             const TsfChunkTableMeta& meta, const QString& identity,
                                             TsfIndexMap locusMap, TsfIndexMap entityMap)
    : TsfTableReader(std::move(locusMap), std::move(entityMap)), m_tableName(tableName), m_meta(meta),
      m_tableKey(ChunkTableCacheResource::instance().acquireTableKey(identity)),
      m_select(db, QStringLiteral("SELECT chunk FROM %1 WHERE chunk_id = ?").arg(tableName).toUtf8()),
      m_remembered(size_t(std::max<qint64>(meta.fieldCount, 0))) {}

TypedChunkTableReader::~TypedChunkTableReader() {
    if (m_prefetchDone.valid())
        m_prefetchDone.wait();
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
    const TsfValueArray* current = remember(chunkNumber, column, error);
    if (!current)
        return nullptr;
    *position = int(row & (m_meta.chunkSize() - 1));
    if (*position >= current->size()) {
        *error = QStringLiteral("Error reading chunk: chunk %1 of column %2 in table %3 holds %4 values")
                     .arg(chunkNumber)
                     .arg(column)
                     .arg(m_tableName)
                     .arg(current->size());
        return nullptr;
    }
    return current;
}

TsfValueArrayPtr TypedChunkTableReader::chunk(qint64 chunkNumber, int column, QString* error) {
    if (column < 0 || size_t(column) >= m_remembered.size()) {
        *error = QStringLiteral("Error reading chunk: column %1 is outside table %2").arg(column).arg(m_tableName);
        return nullptr;
    }
    return remember(chunkNumber, column, error) ? m_remembered[size_t(column)].chunk : nullptr;
}

const TsfValueArray* TypedChunkTableReader::remember(qint64 chunkNumber, int column, QString* error) {
    if (m_prefetch && m_prefetch->chunkNumber == chunkNumber)
        takePrefetched();
    Remembered& remembered = m_remembered[size_t(column)];
    if (remembered.chunkNumber != chunkNumber) {
        TsfValueArrayPtr fetched = fetch(chunkNumber, column, error);
        if (!fetched)
            return nullptr;
        remembered.chunk = std::move(fetched);
        remembered.chunkNumber = chunkNumber;
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

void TypedChunkTableReader::prefetch(qint64 chunkNumber, const std::vector<int>& columns) {
    if (m_prefetch || chunkNumber < 0 || chunkNumber >= m_meta.chunkCount())
        return;
    auto job = std::make_shared<Prefetch>();
    job->chunkNumber = chunkNumber;
    ChunkTableCacheResource& cache = ChunkTableCacheResource::instance();
    for (int column : columns) {
        if (column < 0 || size_t(column) >= m_remembered.size() ||
            m_remembered[size_t(column)].chunkNumber == chunkNumber || cache.find(m_tableKey, column, chunkNumber))
            continue;
        m_select.reset();
        m_select.bind(1, TsfLayout::chunkId(chunkNumber, column));
        if (!m_select.next())
            continue;
        int size = 0;
        const char* blob = m_select.columnBlob(0, &size);
        job->columns.push_back(column);
        job->blobs.emplace_back(blob, size);
    }
    m_select.reset();
    if (job->columns.empty())
        return;
    job->decoded.resize(job->columns.size());
    m_prefetch = job;
    m_prefetchDone = job->finished.get_future();
    const int tableKey = m_tableKey;
    QThreadPool::globalInstance()->start([job, tableKey] {
        ChunkTableCacheResource& shared = ChunkTableCacheResource::instance();
        for (size_t i = 0; i < job->columns.size(); ++i) {
            auto decoded = std::make_shared<TsfValueArray>();
            QString reason;
            if (TsfChunkCodec::decode(job->blobs[i], decoded.get(), &reason)) {
                shared.insert(tableKey, job->columns[i], job->chunkNumber, decoded);
                job->decoded[i] = std::move(decoded);
            }
            job->blobs[i].clear();
        }
        job->finished.set_value();
    });
}

void TypedChunkTableReader::takePrefetched() {
    m_prefetchDone.wait();
    for (size_t i = 0; i < m_prefetch->columns.size(); ++i) {
        if (!m_prefetch->decoded[i])
            continue;
        Remembered& remembered = m_remembered[size_t(m_prefetch->columns[i])];
        remembered.chunk = std::move(m_prefetch->decoded[i]);
        remembered.chunkNumber = m_prefetch->chunkNumber;
    }
    m_prefetch.reset();
    m_prefetchDone = std::future<void>();
}
