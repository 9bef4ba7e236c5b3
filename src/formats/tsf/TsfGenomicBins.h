#pragma once

#include <QVector>
#include <cstdint>

// The binning of the genomic index: five levels of bins (offsets 0, 1, 9, 73, 585 with shifts
// 29, 26, 23, 20, 17). Unlike the common scheme, an ordinary record (start <= stop) is binned
// with its stop itself, not stop - 1; stored files depend on it.
namespace TsfGenomicBins {

inline constexpr int BinCount = 4681; // bin numbers are below this
inline constexpr int SlotsPerChromosome = 37450;
inline constexpr int LevelCount = 5;
inline constexpr int LevelOffsets[LevelCount] = {0, 1, 9, 73, 585};
inline constexpr int LevelShifts[LevelCount] = {29, 26, 23, 20, 17};

int binOf(int64_t start, int64_t stop);

// Query table id of a bin of a chromosome index.
inline int64_t binId(int chromosomeIndex, int bin) {
    return (int64_t(chromosomeIndex) << 16) | bin;
}

// Every bin that can hold a record overlapping [start, end] (end inclusive), level by level.
QVector<int> overlappingBins(int64_t start, int64_t end);

} // namespace TsfGenomicBins
