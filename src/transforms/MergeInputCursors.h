#pragma once

#include "source/model/ChromosomeOrder.h"
#include "source/readers/FeatureCursor.h"

#include <vector>

// The cursors of several inputs read side by side in genomic order: chromosomes in the order of
// their sources, then by start. Each input is pulled in batches, so memory stays flat in records
// whatever the inputs' lengths.
class MergeInputCursors {
public:
    // batchSize: the records read from an input at a time.
    MergeInputCursors(ChromosomeOrder order, int batchSize)
        : m_order(std::move(order)), m_batchSize(batchSize) {}

    void add(FeatureCursorPtr cursor);
    int count() const { return int(m_inputs.size()); }

    // The input whose next record comes first (the earliest input at equal places); -1 when all
    // are read, or on a read error (then with the reason).
    int nextInput(QString* error);
    // Whether input i has a next record; valid after nextInput.
    bool hasHead(int i) const { return m_inputs[size_t(i)].next < m_inputs[size_t(i)].batch.size(); }
    const VkFeature& head(int i) const { return m_inputs[size_t(i)].batch.at(m_inputs[size_t(i)].next); }
    // Takes input i's next record.
    VkFeature takeHead(int i);
    // Whether a comes before b.
    bool less(const VkSegment& a, const VkSegment& b) const;

    bool atEnd() const;
    int percentDone() const;
    bool canReseek() const;
    bool reseek(const QList<VkSegment>& regions, QString* error);

    // Reads input i's next batch when its last one is used up; false on a read error.
    bool refill(int i, QString* error) { return refill(m_inputs[size_t(i)], error); }

private:
    struct Input {
        FeatureCursorPtr cursor;
        VkFeatureList batch;
        int next = 0;
    };
    // Reads input i's next batch when its last one is used up; false on a read error.
    bool refill(Input& input, QString* error);

    ChromosomeOrder m_order;
    int m_batchSize;
    std::vector<Input> m_inputs;
};
