#pragma once

#include "source/readers/SequenceRange.h"

#include "formats/bbi/BbiFile.h"
#include "source/readers/FeatureCursor.h"
#include "source/model/VkField.h"

// Reads the items of a bigWig (intervals with a value) or a bigBed (intervals with their columns)
// over ranges of its chromosomes, each item once.
class BbiCursor : public FeatureCursor {
public:
    // A part of one chromosome, [begin, end).
    using Range = SequenceRange;

    // The items of the ranges, which must be in file order and disjoint, from the ordinal skip on.
    BbiCursor(std::unique_ptr<BbiFile> file, QVector<Range> ranges, qint64 skip, VkFieldList schema,
              const QList<int>& fields);
    ~BbiCursor() override;

    // Every chromosome whole, in file order.
    static QVector<Range> wholeFile(const BbiFile& file);
    // The regions on the file's chromosomes, in file order, merged where they overlap or touch.
    static QVector<Range> rangesOf(const BbiFile& file, const QList<VkSegment>& regions);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return m_range >= m_ranges.size(); }
    int percentDone() const override;

private:
    // Opens the iterator of a range, or of the next one that has items; false on a damaged file.
    bool openRange(int range, QString* error);
    // Sets the message of a data block that cannot be read; returns false.
    bool damaged(QString* error) const;
    uint32_t itemCount() const;
    bool seenBefore(uint32_t start, uint32_t end) const;
    VkFeature toFeature(uint32_t start, uint32_t end) const;
    void fillColumns(const char* text, PVariantVector& values) const;

    std::unique_ptr<BbiFile> m_file;
    QVector<Range> m_ranges;
    qint64 m_skip;
    VkFieldList m_schema;
    QVector<bool> m_wanted;
    int m_range = 0;
    bool m_opened = false;
    bwOverlapIterator_t* m_iterator = nullptr;
    uint32_t m_item = 0;
};
