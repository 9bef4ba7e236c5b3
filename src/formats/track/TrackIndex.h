#pragma once

#include "formats/track/ByteRange.h"
#include "formats/track/IntervalIndex.h"

#include <string>
#include <vector>

// An in-memory copy of an unindexed track for region reads: every record's segment and the line
// it came from, with an interval index over the segments.
class TrackIndex {
public:
    // Keeps a record; records are numbered from 0 in the order they are added.
    void add(const VkSegment& segment, const char* line, int length);
    // Call once after the last add.
    void finish() { m_intervals.finish(); }

    qint64 count() const { return qint64(m_records.size()); }
    // Bytes held for the lines, the records and the interval index.
    qint64 memoryBytes() const;

    // Records overlapping any region, in file order, each once.
    std::vector<qint64> overlapping(const QList<VkSegment>& regions) const {
        return m_intervals.overlapping(regions);
    }
    const VkSegment& segment(qint64 record) const { return m_records[size_t(record)].segment; }
    ByteRange line(qint64 record) const;

private:
    struct Stored {
        VkSegment segment;
        qint64 offset;
        int length;
    };
    std::vector<Stored> m_records;
    std::string m_lines;
    IntervalIndex m_intervals;
};
