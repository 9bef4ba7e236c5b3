#include "source/readers/SequenceRange.h"

#include <algorithm>

QVector<SequenceRange> mergeSequenceRanges(QVector<SequenceRange> ranges) {
    std::sort(ranges.begin(), ranges.end(), [](const SequenceRange& a, const SequenceRange& b) {
        return a.tid < b.tid || (a.tid == b.tid && a.begin < b.begin);
    });
    QVector<SequenceRange> merged;
    for (const SequenceRange& range : ranges) {
        if (!merged.isEmpty() && merged.last().tid == range.tid && range.begin <= merged.last().end)
            merged.last().end = std::max(merged.last().end, range.end);
        else
            merged.append(range);
    }
    return merged;
}
