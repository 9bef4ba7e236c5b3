#pragma once

#include "source/model/VkSegment.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <cstdint>
#include <vector>

// Which records of a track overlap a region, answered in O(log n + k) per chromosome.
//
// Each chromosome's intervals are sorted by start and read as a balanced binary tree over the
// sorted array (the middle element is the root of each range), every node holding the largest
// stop in its subtree, so a query skips whole subtrees that end before the region. Records are
// caller-chosen numbers, usually the record's ordinal in its file. Zero-length intervals (an
// insertion point) count as covering their start base, as region reads do.
class IntervalIndex {
public:
    void add(const QByteArray& chromosome, int32_t start, int32_t stop, qint64 record);
    // Sorts and builds the trees; call once after the last add and before any query.
    void finish();

    // Records overlapping [start, stop) on the chromosome, appended in start order.
    void overlapping(const QByteArray& chromosome, int32_t start, int32_t stop,
                     std::vector<qint64>& records) const;
    // Records overlapping any of the regions, ascending, each once.
    std::vector<qint64> overlapping(const QList<VkSegment>& regions) const;

    qint64 size() const { return m_size; }
    // Bytes held by the entries.
    qint64 memoryBytes() const { return m_size * qint64(sizeof(Entry)); }

private:
    struct Entry {
        int32_t start;
        int32_t stop;
        int32_t maxStop; // largest stop in the subtree rooted here
        qint64 record;
    };
    using Entries = std::vector<Entry>;

    static int32_t buildMaxStops(Entries& entries, size_t begin, size_t end);
    static void query(const Entries& entries, size_t begin, size_t end, int32_t start, int32_t stop,
                      std::vector<qint64>& records);

    std::vector<Entries> m_chromosomes;
    QHash<QByteArray, int> m_chromosomeIds;
    QByteArray m_lastName;
    int m_lastId = -1;
    qint64 m_size = 0;
};
