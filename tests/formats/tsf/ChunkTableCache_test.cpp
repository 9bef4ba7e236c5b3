#include "formats/tsf/ChunkTableCacheResource.h"

#include <QUuid>

#include <gtest/gtest.h>

namespace {

QString uniqueIdentity() {
    return QUuid::createUuid().toString();
}

TsfValueArrayPtr arrayOfKiB(int kib) {
    auto array = std::make_shared<TsfValueArray>(ValueType::Int);
    array->bytes().reserve(size_t(kib) * 1024);
    return array;
}

} // namespace

TEST(ChunkTableCacheResource, ChargesDecodedKiBAndEvictsTheLeastRecentlyUsed) {
    ChunkTableCacheResource& cache = ChunkTableCacheResource::instance();
    cache.clear();
    EXPECT_EQ(ChunkTableCacheResource::costOf(TsfValueArray(ValueType::Int)), 1);
    const TsfValueArrayPtr megabyte = arrayOfKiB(1024);
    const int cost = ChunkTableCacheResource::costOf(*megabyte);
    EXPECT_GE(cost, 1024);
    const int key = cache.acquireTableKey(uniqueIdentity());
    const int fits = ChunkTableCacheResource::Capacity / cost;
    for (int chunk = 0; chunk < fits; ++chunk)
        cache.insert(key, 0, chunk, megabyte);
    EXPECT_TRUE(cache.find(key, 0, 0)); // now the most recently used
    cache.insert(key, 0, fits, megabyte);
    cache.insert(key, 0, fits + 1, megabyte);
    EXPECT_LE(cache.totalCost(), ChunkTableCacheResource::Capacity);
    EXPECT_TRUE(cache.find(key, 0, 0));
    EXPECT_FALSE(cache.find(key, 0, 1));
    EXPECT_FALSE(cache.find(key, 0, 2));
    EXPECT_TRUE(cache.find(key, 0, fits + 1));
    EXPECT_FALSE(cache.find(key, 1, fits + 1));
    cache.releaseTableKey(key);
    cache.clear();
}

TEST(ChunkTableCacheResource, TableKeysAreSharedAndReleasedKeysReusedFirst) {
    ChunkTableCacheResource& cache = ChunkTableCacheResource::instance();
    const QString table = uniqueIdentity();
    const int key = cache.acquireTableKey(table);
    EXPECT_EQ(cache.acquireTableKey(table), key);
    cache.insert(key, 2, 7, arrayOfKiB(1));
    cache.releaseTableKey(key);
    EXPECT_TRUE(cache.find(key, 2, 7)); // one reader still holds the key
    cache.releaseTableKey(key);
    // Reopened before reuse: the same key and its chunks are still there.
    EXPECT_EQ(cache.acquireTableKey(table), key);
    EXPECT_TRUE(cache.find(key, 2, 7));
    cache.releaseTableKey(key);

    // New tables take released keys before new ones; reuse drops the old table's chunks.
    QVector<int> taken;
    int reused = -1;
    for (int i = 0; i < 70000 && reused != key; ++i) {
        reused = cache.acquireTableKey(uniqueIdentity());
        taken.append(reused);
        ASSERT_NE(reused, ChunkTableCacheResource::NoKey);
    }
    EXPECT_EQ(reused, key);
    EXPECT_LT(taken.size(), 1000);
    EXPECT_FALSE(cache.find(key, 2, 7));
    for (int held : taken)
        cache.releaseTableKey(held);
}
