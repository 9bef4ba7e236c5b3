#pragma once

#include "source/values/PVariant.h"

#include <QVector>

// Ordered map from name to value (the Key Value Pairs type). Entries keep their insertion
// order, which is the key order of every serialised record. Maps are small (records, field
// descriptions), so lookup is a linear scan; the entries are implicitly shared.
class PVariantMap {
public:
    struct Entry {
        QByteArray key;
        PVariant value;
        bool operator==(const Entry& other) const { return key == other.key && value == other.value; }
    };
    using const_iterator = QVector<Entry>::const_iterator;

    PVariantMap() = default;
    PVariantMap(std::initializer_list<Entry> entries);

    int size() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    bool contains(const char* key) const { return indexOf(key) >= 0; }
    // Index of the entry with this key; -1 when absent.
    int indexOf(const char* key) const;
    int indexOf(const QByteArray& key) const;
    // The value under the key, or the fallback when the key is absent.
    PVariant value(const char* key, const PVariant& fallback = PVariant()) const;
    PVariant value(const QByteArray& key, const PVariant& fallback = PVariant()) const;
    const Entry& entryAt(int index) const { return m_entries.at(index); }
    QVector<QByteArray> keys() const;

    // Replaces the value of an existing key in place, otherwise appends a new entry.
    void insert(const QByteArray& key, PVariant value);
    bool remove(const char* key);
    void clear() { m_entries.clear(); }

    const_iterator begin() const { return m_entries.cbegin(); }
    const_iterator end() const { return m_entries.cend(); }

    bool operator==(const PVariantMap& other) const { return m_entries == other.m_entries; }
    bool operator!=(const PVariantMap& other) const { return !(*this == other); }

private:
    QVector<Entry> m_entries;
};

Q_DECLARE_TYPEINFO(PVariantMap::Entry, Q_MOVABLE_TYPE);
Q_DECLARE_TYPEINFO(PVariantMap, Q_MOVABLE_TYPE);
