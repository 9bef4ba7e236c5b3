#pragma once

#include "source/readers/SequenceRange.h"

#include "formats/bam/BamFile.h"
#include "formats/bam/BamSourceTypeManager.h"
#include "source/readers/FeatureCursor.h"

#include <QVector>

#include <bitset>

struct bam1_t;
struct hts_itr_t;

// Reads of a BAM file as features: the read's aligned span on its chromosome and the fields of
// the fixed read schema. Reads without a position (unplaced, unmapped) have no span and are left
// out; an unmapped read placed at its mate's position spans one base.
class BamCursor : public FeatureCursor {
public:
    // A part of one reference, [begin, end).
    using Range = SequenceRange;

    // Every placed read from the given ordinal on, in file order.
    BamCursor(std::unique_ptr<BamFile> file, qint64 offset, const QList<int>& fields);
    // The placed reads overlapping the ranges (see rangesOf), each once, through the index.
    BamCursor(std::unique_ptr<BamFile> file, QVector<Range> ranges, const QList<int>& fields);
    ~BamCursor() override;

    // The regions on the file's references, ordered as the file and merged where they overlap or
    // touch; regions on chromosomes the file does not have are dropped.
    static QVector<Range> rangesOf(const BamFile& file, const QList<VkSegment>& regions);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return m_atEnd; }
    int percentDone() const override;

private:
    BamCursor(std::unique_ptr<BamFile> file, const QList<int>& fields);
    // Reads the next wanted record into m_record: 1 for a record, 0 at the end, -1 on damage.
    int readNext();
    bool seekRange(int range);
    // Whether a read of the current range was already given for an earlier range.
    bool seenBefore() const;
    // Whether the record just read names references of the header and has a 32-bit span.
    bool plausible() const;
    VkFeature toFeature() const;

    std::unique_ptr<BamFile> m_file;
    bam1_t* m_record;
    std::bitset<BamField::Count> m_fields;
    QVector<Range> m_ranges;
    int m_range = -1; // -1 for a sequential read
    hts_itr_t* m_iterator = nullptr;
    qint64 m_skip = 0;
    bool m_atEnd = false;
};
