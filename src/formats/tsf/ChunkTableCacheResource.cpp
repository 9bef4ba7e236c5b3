#include "formats/tsf/ChunkTableCacheResource.h"

#include <algorithm>

namespace {
constexpr int KeyCount = 1 << 16;
constexpr int ChunkBits = 48;
} // namespace

ChunkTableCacheResource& ChunkTableCacheResource::instance() {
    // Never destroyed: reader threads may still release their table keys while the process
    // exits, after function-local statics would have gone.
    static ChunkTableCacheResource* cache = new ChunkTableCacheResource;
    return *cache;
}

ChunkTableCacheResource::ChunkTableCacheResource() : m_cache(Capacity) {}

int ChunkTableCacheResource::costOf(const TsfValueArray& chunk) {
    return int(std::max<qint64>(chunk.memorySize() / 1024, 1));
}

ChunkTableCacheResource::Key ChunkTableCacheResource::keyOf(int tableKey, int column, qint64 chunkNumber) {
    return Key{column,
               (quint64(tableKey) << ChunkBits) | (quint64(chunkNumber) & ((quint64(1) << ChunkBits) - 1))};
}

int ChunkTableCacheResource::acquireTableKey(const QString& tableIdentity) {
    QMutexLocker locker(&m_mutex);
    const auto bound = m_keyOfIdentity.constFind(tableIdentity);
    if (bound != m_keyOfIdentity.constEnd()) {
        const int key = bound.value();
        if (m_keys[key].holders++ == 0)
            m_freeKeys.removeOne(key);
        return key;
    }
    int key = NoKey;
    if (!m_freeKeys.isEmpty()) {
        key = m_freeKeys.takeFirst();
        m_keyOfIdentity.remove(m_keys[key].identity);
        dropTable(key);
    } else if (m_keys.size() < KeyCount) {
        key = m_keys.size();
        m_keys.append(TableKey());
    } else {
        return NoKey;
    }
    m_keys[key] = TableKey{tableIdentity, 1};
    m_keyOfIdentity.insert(tableIdentity, key);
    return key;
}

void ChunkTableCacheResource::releaseTableKey(int key) {
    QMutexLocker locker(&m_mutex);
    if (key < 0 || key >= m_keys.size() || m_keys[key].holders == 0)
        return;
    if (--m_keys[key].holders == 0)
        m_freeKeys.append(key);
}

TsfValueArrayPtr ChunkTableCacheResource::find(int tableKey, int column, qint64 chunkNumber) {
    if (tableKey == NoKey)
        return nullptr;
    QMutexLocker locker(&m_mutex);
    const Entry* entry = m_cache.object(keyOf(tableKey, column, chunkNumber));
    return entry ? entry->chunk : nullptr;
}

void ChunkTableCacheResource::insert(int tableKey, int column, qint64 chunkNumber, TsfValueArrayPtr chunk) {
    if (tableKey == NoKey || !chunk)
        return;
    const int cost = costOf(*chunk);
    QMutexLocker locker(&m_mutex);
    m_cache.insert(keyOf(tableKey, column, chunkNumber), new Entry{std::move(chunk)}, cost);
}

void ChunkTableCacheResource::remove(int tableKey, int column, qint64 chunkNumber) {
    if (tableKey == NoKey)
        return;
    QMutexLocker locker(&m_mutex);
    m_cache.remove(keyOf(tableKey, column, chunkNumber));
}

int ChunkTableCacheResource::totalCost() const {
    QMutexLocker locker(&m_mutex);
    return m_cache.totalCost();
}

void ChunkTableCacheResource::clear() {
    QMutexLocker locker(&m_mutex);
    m_cache.clear();
}

void ChunkTableCacheResource::dropTable(int tableKey) {
    const quint64 table = quint64(tableKey) << ChunkBits;
    const quint64 mask = ~((quint64(1) << ChunkBits) - 1);
    for (const Key& key : m_cache.keys())
        if ((key.tableChunk & mask) == table)
            m_cache.remove(key);
}
