#pragma once

#include "formats/tsf/TsfLayout.h"
#include "formats/tsf/TsfTableReader.h"
#include "formats/tsf/TsfValueArray.h"

#include <future>
#include <vector>

struct sqlite3_blob;

// Reads a "chunk_table" table. Each column remembers the last chunk it fetched, so consecutive
// reads within a chunk touch neither the shared cache nor the database; other chunks come from
// ChunkTableCacheResource, and on a miss from the table, decoded and then cached.
class TypedChunkTableReader : public TsfTableReader {
public:
    // identity names the table for the shared cache: the same file and table give the same key.
    TypedChunkTableReader(const TsfDatabase& db, const QString& tableName, const TsfChunkTableMeta& meta,
                          const QString& identity, TsfIndexMap locusMap = TsfIndexMap::identity(),
                          TsfIndexMap entityMap = TsfIndexMap());
    ~TypedChunkTableReader() override;
    // A reader of a table whose chunks agree with its meta: the file can hold a chunk of every
    // column for every chunk number, and the last column's last chunk is the table's last row.
    // Null with the message otherwise.
    static std::shared_ptr<TypedChunkTableReader> open(const TsfDatabase& db, const QString& tableName,
                                                       const TsfChunkTableMeta& meta, const QString& identity,
                                                       TsfIndexMap locusMap, TsfIndexMap entityMap,
                                                       QString* error);
    TypedChunkTableReader(const TypedChunkTableReader&) = delete;
    TypedChunkTableReader& operator=(const TypedChunkTableReader&) = delete;

    const TsfChunkTableMeta& meta() const { return m_meta; }
    const QString& tableName() const { return m_tableName; }
    qint64 rowCount() const override { return m_meta.recordCount; }

    // The decoded chunk that holds a row of a column and the row's position in it; null with
    // "Error reading chunk: ..." or "Error decompressing chunk: ..." on failure. The array stays
    // valid until the column's next fetch of another chunk.
    const TsfValueArray* chunkAt(qint64 row, int column, int* position, QString* error);
    PVariant valueAt(qint64 row, int column, QString* error) override;
    // Calls visit(chunk, position, j) for rows[j] of a column, j < count, looking each chunk up
    // once per run of rows in it. False when a chunk cannot be read (with the message) or when
    // visit returns false.
    template <typename Visit>
    bool visitRows(int column, const qint64* rows, int count, QString* error, Visit visit) {
        const qint64 mask = m_meta.chunkSize() - 1;
        const TsfValueArray* chunk = nullptr;
        qint64 chunkNumber = -1;
        for (int j = 0; j < count; ++j) {
            int position = int(rows[j] & mask);
            if (rows[j] >> m_meta.chunkBits != chunkNumber || position >= chunk->size()) {
                chunk = chunkAt(rows[j], column, &position, error);
                if (!chunk)
                    return false;
                chunkNumber = rows[j] >> m_meta.chunkBits;
            }
            if (!visit(*chunk, position, j))
                return false;
        }
        return true;
    }
    // The decoded chunk of a column by chunk number, remembered as chunkAt() does; null with the
    // message on failure, or when the table has no such chunk.
    TsfValueArrayPtr chunk(qint64 chunkNumber, int column, QString* error);
    // Starts fetching a chunk number of some columns ahead of use: the blobs are read now and
    // decoded on the prefetch threads while the caller works on the current chunk. The next
    // chunk() or chunkAt() of that chunk number takes the results; a failed prefetch is
    // retried there, so its message comes from the ordinary path.
    void prefetch(qint64 chunkNumber, const std::vector<int>& columns);

private:
    struct Remembered {
        qint64 chunkNumber = -1;
        TsfValueArrayPtr chunk;
    };
    struct Prefetch {
        qint64 chunkNumber = -1;
        std::vector<int> columns;
        std::vector<QByteArray> blobs;
        std::vector<TsfValueArrayPtr> decoded; // null where the blob did not decode
    };
    // Reads a chunk's blob through an incremental-blob handle, opened or moved to the chunk's row.
    bool readBlob(sqlite3_blob** blob, qint64 chunkId, QByteArray* bytes);
    void rememberNext(int column, TsfValueArrayPtr chunk, qint64 chunkNumber);
    void takePrefetched();
    static void decodePrefetched(Prefetch& job, int tableKey, qint64 expectedCount);

    // The remembered chunk of a column (which must be in range), fetched when it differs.
    static bool checkChunks(const TsfDatabase& db, const QString& tableName, const TsfChunkTableMeta& meta,
                            QString* error);
    const TsfValueArray* remember(qint64 chunkNumber, int column, QString* error);
    TsfValueArrayPtr fetch(qint64 chunkNumber, int column, QString* error);

    QString m_tableName;
    QByteArray m_tableNameUtf8;
    sqlite3* m_db;
    TsfChunkTableMeta m_meta;
    int m_tableKey;
    TsfStatement m_select;
    std::vector<Remembered> m_remembered;
    std::shared_ptr<Prefetch> m_prefetch;
    std::future<void> m_prefetchDone;
};
