#pragma once

#include "formats/tsf/TsfValueArray.h"

#include <QCache>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QVector>

// The process-wide cache of decoded chunks, shared by every TSF reader so that readers of the
// same file reuse each other's work. Entries are keyed by column and by the table's 16-bit key
// combined with the chunk number; each costs its decoded size in KiB (at least 1) against a
// capacity of 256,000, about 250 MB, and the least recently used go first. One mutex guards it.
//
// Table keys are handed out per table identity (file, its modification stamp and table name),
// counted by the readers holding them. A key whose last holder let go stays bound to its table,
// so reopening the table finds its chunks still cached, until the key is reused: released keys
// are reused before new ones are taken, and reuse drops the old table's entries first.
class ChunkTableCacheResource {
public:
    static constexpr int Capacity = 256000;
    // Returned when all 65,536 keys are held: chunks of such tables are not cached.
    static constexpr int NoKey = -1;

    static ChunkTableCacheResource& instance();

    int acquireTableKey(const QString& tableIdentity);
    void releaseTableKey(int key);

    TsfValueArrayPtr find(int tableKey, int column, qint64 chunkNumber);
    void insert(int tableKey, int column, qint64 chunkNumber, TsfValueArrayPtr chunk);
    // Drops a chunk a reader is done with; those still holding it keep it.
    void remove(int tableKey, int column, qint64 chunkNumber);

    static int costOf(const TsfValueArray& chunk);
    int totalCost() const;
    // Drops every cached chunk; keys stay as they are.
    void clear();

private:
    struct Key {
        int column;
        quint64 tableChunk; // table key in the top 16 bits, chunk number below
        bool operator==(const Key& other) const {
            return column == other.column && tableChunk == other.tableChunk;
        }
    };
    // Columns and chunk numbers are both small counters: mix them before hashing, or (chunk 1,
    // column 0) and (chunk 0, column 1) share a bucket and the chains grow with the file.
    friend uint qHash(const Key& key, uint seed) {
        return qHash(key.tableChunk * 0x9E3779B97F4A7C15ull + quint64(uint32_t(key.column)), seed);
    }
    struct Entry {
        TsfValueArrayPtr chunk;
    };
    struct TableKey {
        QString identity;
        int holders = 0;
    };

    ChunkTableCacheResource();
    static Key keyOf(int tableKey, int column, qint64 chunkNumber);
    void dropTable(int tableKey);

    mutable QMutex m_mutex;
    QCache<Key, Entry> m_cache;
    QVector<TableKey> m_keys;
    QHash<QString, int> m_keyOfIdentity;
    QVector<int> m_freeKeys; // released keys, oldest first
};
