#include "formats/tsf/TypedChunkTableReader.h"

#include "formats/tsf/ChunkTableCacheResource.h"
#include "formats/tsf/TsfChunkCodec.h"
#include "formats/tsf/TsfPrefetchThreads.h"

#include <sqlite3.h>

#include <algorithm>

TypedChunkTableReader::TypedChunkTableReader(const TsfDatabase& db, const QString& tableName,
                                             const TsfChunkTableMeta& meta, const QString& identity,
                                             TsfIndexMap locusMap, TsfIndexMap entityMap)
    : TsfTableReader(std::move(locusMap), std::move(entityMap)), m_tableName(tableName),
      m_tableNameUtf8(tableName.toUtf8()), m_db(db.handle()), m_meta(meta),
      m_tableKey(ChunkTableCacheResource::instance().acquireTableKey(identity)),
      m_select(db, QStringLiteral("SELECT chunk FROM %1 WHERE chunk_id = ?").arg(tableName).toUtf8()),
      m_remembered(size_t(std::max<qint64>(meta.fieldCount, 0))) {}

TypedChunkTableReader::~TypedChunkTableReader() {
    if (m_prefetchDone.valid())
        m_prefetchDone.wait();
    ChunkTableCacheResource::instance().releaseTableKey(m_tableKey);
}

std::shared_ptr<TypedChunkTableReader>
TypedChunkTableReader::open(const TsfDatabase& db, const QString& tableName, const TsfChunkTableMeta& meta,
                            const QString& identity, TsfIndexMap locusMap, TsfIndexMap entityMap,
                            QString* error) {
    if (!checkChunks(db, tableName, meta, error))
        return nullptr;
    return std::make_shared<TypedChunkTableReader>(db, tableName, meta, identity, std::move(locusMap),
                                                   std::move(entityMap));
}

bool TypedChunkTableReader::checkChunks(const TsfDatabase& db, const QString& tableName,
                                        const TsfChunkTableMeta& meta, QString* error) {
    const qint64 chunks = meta.chunkCount();
    const qint64 columns = meta.fieldCount;
    const QString claim = QStringLiteral("%1 columns of %2 records in chunks of %3")
                              .arg(columns)
                              .arg(meta.recordCount)
                              .arg(meta.chunkSize());
    // Every chunk is a row holding at least a chunk header.
    const qint64 bytes = db.byteSize();
    if (columns > 0 && chunks > bytes / TsfChunkHeader::Size / columns) {
        *error = QStringLiteral("Table %1 claims %2, more than the file's %3 bytes can hold")
                     .arg(tableName, claim)
                     .arg(bytes);
        return false;
    }
    TsfStatement last(db, QStringLiteral("SELECT max(chunk_id) FROM %1").arg(tableName).toUtf8());
    if (!last.next()) {
        *error = QStringLiteral("Error reading chunk: ") + last.errorText();
        return false;
    }
    const bool empty = columns == 0 || chunks == 0;
    const bool agrees =
        last.isNull(0) ? empty
                       : !empty && last.columnInt64(0) == TsfLayout::chunkId(chunks - 1, int(columns - 1));
    if (!agrees) {
        *error =
            QStringLiteral("The chunks of table %1 do not match its table_meta of %2").arg(tableName, claim);
        return false;
    }
    return true;
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
        *error =
            QStringLiteral("Error reading chunk: column %1 is outside table %2").arg(column).arg(m_tableName);
        return nullptr;
    }
    if (chunkNumber < 0 || chunkNumber >= m_meta.chunkCount()) {
        *error = QStringLiteral("Error reading chunk: chunk %1 is outside table %2")
                     .arg(chunkNumber)
                     .arg(m_tableName);
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
        rememberNext(column, std::move(fetched), chunkNumber);
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
    if (!TsfChunkCodec::decode(blob, size, decoded.get(), &reason, m_meta.valuesInChunk(chunkNumber))) {
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
    // The blobs are read straight into the job's buffers: a query's result would be gathered from
    // the pages into a buffer of the engine's first, and copied again.
    sqlite3_blob* blob = nullptr;
    for (int column : columns) {
        if (column < 0 || size_t(column) >= m_remembered.size() ||
            m_remembered[size_t(column)].chunkNumber == chunkNumber ||
            cache.find(m_tableKey, column, chunkNumber))
            continue;
        QByteArray bytes;
        if (!readBlob(&blob, TsfLayout::chunkId(chunkNumber, column), &bytes))
            continue;
        job->columns.push_back(column);
        job->blobs.push_back(std::move(bytes));
    }
    sqlite3_blob_close(blob);
    if (job->columns.empty())
        return;
    job->decoded.resize(job->columns.size());
    const int tableKey = m_tableKey;
    const qint64 expectedCount = m_meta.valuesInChunk(chunkNumber);
    // A job that could not be queued leaves the chunks to be read when they are needed.
    try {
        auto finished = std::make_shared<std::promise<void>>();
        std::future<void> done = finished->get_future();
        const bool queued = TsfPrefetchThreads::instance().run([job, tableKey, expectedCount, finished] {
            // Nothing may escape the thread. A chunk left undecoded, for running out of memory
            // say, is fetched again by the reader, which then reports why.
            try {
                decodePrefetched(*job, tableKey, expectedCount);
            } catch (...) {
            }
            finished->set_value();
        });
        if (queued) {
            m_prefetch = job;
            m_prefetchDone = std::move(done);
        }
    } catch (...) {
    }
}

// A missing or unreadable chunk is left for the ordinary read to report.
bool TypedChunkTableReader::readBlob(sqlite3_blob** blob, qint64 chunkId, QByteArray* bytes) {
    const int opened =
        *blob ? sqlite3_blob_reopen(*blob, chunkId)
              : sqlite3_blob_open(m_db, "main", m_tableNameUtf8.constData(), "chunk", chunkId, 0, blob);
    if (opened != SQLITE_OK) {
        // A handle that failed to move is of no further use.
        sqlite3_blob_close(*blob);
        *blob = nullptr;
        return false;
    }
    const int size = sqlite3_blob_bytes(*blob);
    bytes->resize(size);
    return sqlite3_blob_read(*blob, bytes->data(), size, 0) == SQLITE_OK;
}

void TypedChunkTableReader::decodePrefetched(Prefetch& job, int tableKey, qint64 expectedCount) {
    ChunkTableCacheResource& shared = ChunkTableCacheResource::instance();
    for (size_t i = 0; i < job.columns.size(); ++i) {
        auto decoded = std::make_shared<TsfValueArray>();
        QString reason;
        if (TsfChunkCodec::decode(job.blobs[i], decoded.get(), &reason, expectedCount)) {
            shared.insert(tableKey, job.columns[i], job.chunkNumber, decoded);
            job.decoded[i] = std::move(decoded);
        }
        job.blobs[i].clear();
    }
}

// A read that moves on to the next chunk of a column will not come back to the one before: the
// cache is a ceiling for reads that jump, not a store of everything a front-to-back read passed.
void TypedChunkTableReader::rememberNext(int column, TsfValueArrayPtr chunk, qint64 chunkNumber) {
    Remembered& remembered = m_remembered[size_t(column)];
    if (remembered.chunkNumber >= 0 && chunkNumber == remembered.chunkNumber + 1)
        ChunkTableCacheResource::instance().remove(m_tableKey, column, remembered.chunkNumber);
    remembered.chunk = std::move(chunk);
    remembered.chunkNumber = chunkNumber;
}

void TypedChunkTableReader::takePrefetched() {
    m_prefetchDone.wait();
    for (size_t i = 0; i < m_prefetch->columns.size(); ++i) {
        if (!m_prefetch->decoded[i])
            continue;
        rememberNext(m_prefetch->columns[i], std::move(m_prefetch->decoded[i]), m_prefetch->chunkNumber);
    }
    m_prefetch.reset();
    m_prefetchDone = std::future<void>();
}
