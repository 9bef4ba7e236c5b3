#pragma once

#include "source/registry/VkSource.h"

#include <QHash>
#include <QVector>

#include <vector>

// The identifiers of an annotation source and where each record lies, so that the records
// carrying an identifier can be asked of the source by region. An identifier is kept as a 64-bit
// hash beside its record's place, 24 bytes a record whatever the records hold; a hash may stand
// for more than one identifier, so the records a query finds are compared by identifier.
class RightIdIndex {
public:
    // Reads the identifier field of every record of the source, once.
    bool build(const VkSourcePtr& source, int idField, QString* error);
    // Appends the places of the records whose identifier may be key.
    void placesOf(const QByteArray& key, QList<VkSegment>& out) const;

    // The identifiers a value holds: each element of a list; none for a missing or empty value.
    static void keysOf(const PVariant& value, QVector<QByteArray>& out);

private:
    struct Entry {
        uint64_t hash;
        int32_t chromosome;
        int32_t start;
        int32_t stop;
    };
    static uint64_t hashOf(const QByteArray& key);
    int chromosomeId(const QByteArray& chromosome);

    std::vector<Entry> m_entries;
    QVector<QByteArray> m_chromosomes;
    QHash<QByteArray, int> m_chromosomeIds;
};
