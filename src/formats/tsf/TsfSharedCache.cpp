#include "formats/tsf/TsfSharedCache.h"

TsfSharedCache& TsfSharedCache::instance() {
    static TsfSharedCache cache;
    return cache;
}

bool TsfSharedCache::adopt(TsfDatabase&& db) {
    if (!db.isOpen() || !TsfDatabase::isMemoryName(db.path()))
        return false;
    QMutexLocker locker(&m_mutex);
    const QString name = db.path();
    if (m_databases.count(name))
        return false;
    m_databases[name] = std::make_unique<TsfDatabase>(std::move(db));
    return true;
}

bool TsfSharedCache::contains(const QString& name) const {
    QMutexLocker locker(&m_mutex);
    return m_databases.count(name) > 0;
}

bool TsfSharedCache::release(const QString& name) {
    QMutexLocker locker(&m_mutex);
    return m_databases.erase(name) > 0;
}

QStringList TsfSharedCache::names() const {
    QMutexLocker locker(&m_mutex);
    QStringList list;
    for (const auto& entry : m_databases)
        list.append(entry.first);
    return list;
}
