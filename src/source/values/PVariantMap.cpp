#include "source/values/PVariantMap.h"

PVariantMap::PVariantMap(std::initializer_list<Entry> entries) {
    for (const Entry& entry : entries)
        insert(entry.key, entry.value);
}

int PVariantMap::indexOf(const char* key) const {
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key == key)
            return i;
    }
    return -1;
}

int PVariantMap::indexOf(const QByteArray& key) const {
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).key == key)
            return i;
    }
    return -1;
}

PVariant PVariantMap::value(const char* key, const PVariant& fallback) const {
    const int index = indexOf(key);
    return index >= 0 ? m_entries.at(index).value : fallback;
}

PVariant PVariantMap::value(const QByteArray& key, const PVariant& fallback) const {
    const int index = indexOf(key);
    return index >= 0 ? m_entries.at(index).value : fallback;
}

QVector<QByteArray> PVariantMap::keys() const {
    QVector<QByteArray> result;
    result.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        result.append(entry.key);
    return result;
}

void PVariantMap::insert(const QByteArray& key, PVariant value) {
    const int index = indexOf(key);
    if (index >= 0)
        m_entries[index].value = std::move(value);
    else
        m_entries.append(Entry{key, std::move(value)});
}

bool PVariantMap::remove(const char* key) {
    const int index = indexOf(key);
    if (index < 0)
        return false;
    m_entries.remove(index);
    return true;
}
