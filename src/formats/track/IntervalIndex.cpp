#include "formats/track/IntervalIndex.h"

#include <algorithm>
#include <limits>

void IntervalIndex::add(const QByteArray& chromosome, int32_t start, int32_t stop, qint64 record) {
    // Records come grouped by chromosome, so the last chromosome nearly always matches.
    if (m_lastId < 0 || chromosome != m_lastName) {
        auto found = m_chromosomeIds.constFind(chromosome);
        if (found == m_chromosomeIds.constEnd()) {
            found = m_chromosomeIds.insert(chromosome, int(m_chromosomes.size()));
            m_chromosomes.emplace_back();
        }
        m_lastId = found.value();
        m_lastName = chromosome;
    }
    m_chromosomes[size_t(m_lastId)].push_back({start, std::max(stop, start + 1), 0, record});
    ++m_size;
}

void IntervalIndex::finish() {
    for (Entries& entries : m_chromosomes) {
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return a.start < b.start || (a.start == b.start && a.record < b.record);
        });
        buildMaxStops(entries, 0, entries.size());
    }
}

int32_t IntervalIndex::buildMaxStops(Entries& entries, size_t begin, size_t end) {
    if (begin >= end)
        return std::numeric_limits<int32_t>::min();
    const size_t middle = begin + (end - begin) / 2;
    const int32_t left = buildMaxStops(entries, begin, middle);
    const int32_t right = buildMaxStops(entries, middle + 1, end);
    entries[middle].maxStop = std::max({entries[middle].stop, left, right});
    return entries[middle].maxStop;
}

void IntervalIndex::query(const Entries& entries, size_t begin, size_t end, int32_t start, int32_t stop,
                          std::vector<qint64>& records) {
    while (begin < end) {
        const size_t middle = begin + (end - begin) / 2;
        const Entry& node = entries[middle];
        if (node.maxStop <= start)
            return;
        query(entries, begin, middle, start, stop, records);
        // Everything right of a node starts at or after it.
        if (node.start >= stop)
            return;
        if (node.stop > start)
            records.push_back(node.record);
        begin = middle + 1;
    }
}

void IntervalIndex::overlapping(const QByteArray& chromosome, int32_t start, int32_t stop,
                                std::vector<qint64>& records) const {
    const auto found = m_chromosomeIds.constFind(chromosome);
    if (found == m_chromosomeIds.constEnd())
        return;
    const Entries& entries = m_chromosomes[size_t(found.value())];
    query(entries, 0, entries.size(), start, stop, records);
}

std::vector<qint64> IntervalIndex::overlapping(const QList<VkSegment>& regions) const {
    std::vector<qint64> records;
    for (const VkSegment& region : regions)
        overlapping(region.chromosome(), region.start(), region.stop(), records);
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}
