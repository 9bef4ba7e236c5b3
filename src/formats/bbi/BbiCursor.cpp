#include "formats/bbi/BbiCursor.h"

#include "formats/bbi/BigBedColumns.h"

#include <bwValues.h>

#include <algorithm>
#include <cstring>

namespace {
// Data blocks read per step of an iterator: a few thousand items.
constexpr uint32_t BlocksPerStep = 16;
} // namespace

BbiCursor::BbiCursor(std::unique_ptr<BbiFile> file, QVector<Range> ranges, qint64 skip, VkFieldList schema,
                     const QList<int>& fields)
    : m_file(std::move(file)), m_ranges(std::move(ranges)), m_skip(std::max<qint64>(0, skip)),
      m_schema(std::move(schema)), m_wanted(m_schema.size(), false) {
    for (int field : fields)
        if (field >= 0 && field < m_wanted.size())
            m_wanted[field] = true;
}

BbiCursor::~BbiCursor() {
    if (m_iterator)
        m_file->library().destroy(m_iterator);
}

QVector<BbiCursor::Range> BbiCursor::wholeFile(const BbiFile& file) {
    QVector<Range> ranges;
    for (int tid = 0; tid < file.chromosomes().size(); ++tid)
        ranges.append({tid, 0, file.length(tid)});
    return ranges;
}

QVector<BbiCursor::Range> BbiCursor::rangesOf(const BbiFile& file, const QList<VkSegment>& regions) {
    QVector<Range> ranges;
    for (const VkSegment& region : regions) {
        const int tid = file.tid(region.chromosome());
        if (tid < 0)
            continue;
        const qint64 begin = std::max<qint64>(0, region.start());
        // A zero-length region still asks for the items at its position.
        const qint64 end = std::min<qint64>(file.length(tid), std::max<qint64>(region.stop(), begin + 1));
        if (begin < end)
            ranges.append({tid, begin, end});
    }
    return mergeSequenceRanges(std::move(ranges));
}

bool BbiCursor::openRange(int range, QString* error) {
    if (m_iterator)
        m_file->library().destroy(m_iterator);
    m_iterator = nullptr;
    m_item = 0;
    for (m_range = range; m_range < m_ranges.size(); ++m_range) {
        const Range& r = m_ranges[m_range];
        const char* chromosome = m_file->chromosomes()[r.tid].constData();
        m_iterator = m_file->isBigBed()
                         ? m_file->library().entries(m_file->handle(), chromosome, uint32_t(r.begin),
                                                     uint32_t(r.end), 1, BlocksPerStep)
                         : m_file->library().intervals(m_file->handle(), chromosome, uint32_t(r.begin),
                                                       uint32_t(r.end), BlocksPerStep);
        if (!m_iterator)
            return damaged(error);
        if (m_iterator->data)
            return true;
        // libBigWig leaves the data of a new iterator empty, as at the end, when the blocks it
        // found cannot be read.
        const auto* blocks = static_cast<const bwOverlapBlock_t*>(m_iterator->blocks);
        if (blocks && blocks->n > 0)
            return damaged(error);
        m_file->library().destroy(m_iterator);
        m_iterator = nullptr;
    }
    return true;
}

bool BbiCursor::damaged(QString* error) const {
    *error = QStringLiteral("%1 is damaged: the data of %2 cannot be read")
                 .arg(m_file->path(), QString::fromUtf8(m_file->chromosomes()[m_ranges[m_range].tid]));
    return false;
}

uint32_t BbiCursor::itemCount() const {
    if (!m_iterator || !m_iterator->data)
        return 0;
    return m_file->isBigBed() ? m_iterator->entries->l : m_iterator->intervals->l;
}

bool BbiCursor::seenBefore(uint32_t start, uint32_t end) const {
    if (m_range == 0)
        return false;
    const Range& previous = m_ranges[m_range - 1];
    return previous.tid == m_ranges[m_range].tid && start < previous.end && end > previous.begin;
}

bool BbiCursor::fill(VkFeatureList& batch, int maxCount, QString* error) {
    if (!m_opened) {
        m_opened = true;
        if (!openRange(0, error))
            return false;
    }
    int added = 0;
    while (added < maxCount && !atEnd()) {
        if (m_item >= itemCount()) {
            // libBigWig frees an iterator whose next blocks cannot be read and returns null.
            m_iterator = m_file->library().next(m_iterator);
            m_item = 0;
            if (!m_iterator)
                return damaged(error);
            if (!m_iterator->data && !openRange(m_range + 1, error))
                return false;
            continue;
        }
        const uint32_t* starts =
            m_file->isBigBed() ? m_iterator->entries->start : m_iterator->intervals->start;
        const uint32_t* ends = m_file->isBigBed() ? m_iterator->entries->end : m_iterator->intervals->end;
        const uint32_t item = m_item++;
        if (seenBefore(starts[item], ends[item]))
            continue;
        if (m_skip > 0) {
            --m_skip;
            continue;
        }
        batch.append(toFeature(starts[item], ends[item]));
        ++added;
    }
    return true;
}

int BbiCursor::percentDone() const {
    return m_ranges.isEmpty() ? 100 : int(100 * qint64(m_range) / m_ranges.size());
}

VkFeature BbiCursor::toFeature(uint32_t start, uint32_t end) const {
    const uint32_t item = m_item - 1;
    PVariantVector values(m_schema.size());
    if (m_file->isBigBed())
        fillColumns(m_iterator->entries->str[item], values);
    else if (m_wanted.value(0))
        values[0] = PVariant(m_iterator->intervals->value[item]);
    return VkFeature(VkSegment(m_file->chromosomes()[m_ranges[m_range].tid], int32_t(start), int32_t(end)),
                     std::move(values));
}

// The columns after chromEnd are separated by tabs.
void BbiCursor::fillColumns(const char* text, PVariantVector& values) const {
    const char* end = text + std::strlen(text);
    for (int column = 0; column < m_schema.size() && text <= end; ++column) {
        const char* tab = std::find(text, end, '\t');
        if (m_wanted[column])
            values[column] = BigBedColumns::value(m_schema[column].valueType, text, int(tab - text));
        text = tab + 1;
    }
}
