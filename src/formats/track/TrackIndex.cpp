#include "formats/track/TrackIndex.h"

void TrackIndex::add(const VkSegment& segment, const char* line, int length) {
    m_intervals.add(segment.chromosome(), segment.start(), segment.stop(), count());
    m_records.push_back({segment, qint64(m_lines.size()), length});
    m_lines.append(line, size_t(length));
}

qint64 TrackIndex::memoryBytes() const {
    return qint64(m_lines.capacity()) + qint64(m_records.capacity() * sizeof(Stored)) +
           m_intervals.memoryBytes();
}

ByteRange TrackIndex::line(qint64 record) const {
    const Stored& stored = m_records[size_t(record)];
    return {m_lines.data() + stored.offset, stored.length};
}
