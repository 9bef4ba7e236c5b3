#include "formats/tsf/TsfGenomicBins.h"

#include <algorithm>

namespace TsfGenomicBins {

int binOf(int64_t start, int64_t stop) {
    const int64_t end = start <= stop ? stop : stop - 1;
    if (start > (int64_t(1) << 29) || end > (int64_t(1) << 29))
        return 0;
    if ((start >> 17) == (end >> 17))
        return int((start >> 17) + 585);
    if ((start >> 20) == (end >> 20))
        return int((start >> 20) + 73);
    if ((start >> 23) == (end >> 23))
        return int((start >> 23) + 9);
    if ((start >> 26) == (end >> 26))
        return int((start >> 26) + 1);
    return 0;
}

QVector<int> overlappingBins(int64_t start, int64_t end) {
    // Records past 2^29 all sit in bin 0, the only bin of the top level, so enumeration stops at
    // 2^29 and the top level always gives bin 0.
    constexpr int64_t limit = int64_t(1) << 29;
    start = std::min(std::max<int64_t>(start, 0), limit);
    end = std::min(std::max<int64_t>(end, start), limit);
    QVector<int> bins{0};
    for (int level = 1; level < LevelCount; ++level) {
        const int shift = LevelShifts[level];
        for (int64_t bin = (start >> shift); bin <= (end >> shift); ++bin)
            bins.append(int(bin + LevelOffsets[level]));
    }
    return bins;
}

} // namespace TsfGenomicBins
