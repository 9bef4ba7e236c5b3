#pragma once

#include "formats/bam/BamFile.h"
#include "source/model/VkSegment.h"

#include <QVector>

#include <memory>

struct bam1_t;

// The read depth of one feature in one BAM file.
struct CoverageStats {
    // The depths at which bases are counted, in the order of atLeast.
    static constexpr int Thresholds[] = {1, 100, 200, 500};
    static constexpr int ThresholdCount = 4;

    int64_t depthSum = 0;
    int32_t span = 0;
    int32_t atLeast[ThresholdCount] = {};
    int32_t atTarget = 0;
};

// Measures the depth of features in one open, indexed BAM file: each feature is one index query
// on the open file (the reads of a region are met once, never the whole file). A base is covered by
// a read whose alignment matches it (CIGAR M, = or X); deleted and skipped bases are not. Reads
// that are unmapped, secondary, failed QC or marked duplicate do not count (as in samtools depth).
class BAMCoverageStatsCounter {
public:
    // Null, with the reason, when the file cannot be read as BAM or has no index.
    static std::unique_ptr<BAMCoverageStatsCounter> open(const QString& path, QString* error);
    ~BAMCoverageStatsCounter();
    BAMCoverageStatsCounter(const BAMCoverageStatsCounter&) = delete;
    BAMCoverageStatsCounter& operator=(const BAMCoverageStatsCounter&) = delete;

    // The statistics of one feature; false, with the reason, when the file is damaged. A chromosome
    // the file does not name has no reads: depth 0 throughout.
    bool measure(const VkSegment& feature, int targetDepth, CoverageStats* stats, QString* error);

private:
    explicit BAMCoverageStatsCounter(std::unique_ptr<BamFile> file);
    // The file's id of a chromosome, named with or without a "chr" prefix; -1 when it has none.
    int tidOf(const QByteArray& chromosome) const;
    // Adds the depths of [begin, end) of one reference to stats.
    bool measureWindow(int tid, int32_t begin, int32_t end, int targetDepth, CoverageStats* stats,
                       QString* error);
    // Adds a read's aligned bases within [begin, end) to m_changes.
    void addRead(int32_t begin, int32_t end);

    std::unique_ptr<BamFile> m_file;
    bam1_t* m_read;
    // Depth changes per base of the window in hand: +1 where an aligned block starts, -1 past it.
    QVector<int32_t> m_changes;
};
