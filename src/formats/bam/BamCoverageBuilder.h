#pragma once

#include "source/model/VkFeature.h"
#include "source/registry/PrecomputeJob.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

class BamFile;
class TsfSparseArraySourceWriter;

// Writes the per-base read depth of a coordinate-sorted BAM file as a full-coverage TSF source
// (the ".covtsf" companion of the "AlignmentCoverage" precomputation): the reads samtools depth
// counts (mapped, primary, passing QC, not duplicates) add one to each reference base they align
// to; deletions and skipped bases are not covered. Only bins that hold coverage are stored.
class BamCoverageBuilder {
public:
    BamCoverageBuilder(QString bamPath, QString coveragePath);
    ~BamCoverageBuilder();
    BamCoverageBuilder(const BamCoverageBuilder&) = delete;
    BamCoverageBuilder& operator=(const BamCoverageBuilder&) = delete;

    // The companion's path: the BAM file's path followed by ".covtsf".
    static QString coveragePathOf(const QString& bamPath);

    // False with the reason; no file is left behind then.
    bool run(const PrecomputeProgress& progress, QString* error);

private:
    bool readAll(BamFile& file, const PrecomputeProgress& progress, QString* error);
    // Hands on the depths of the bases before `until`, which no later read can cover.
    bool flushUntil(int64_t until, QString* error);
    bool emitRun(int64_t start, int64_t stop, QString* error);
    bool writeBatch(QString* error);

    QString m_bamPath;
    QString m_coveragePath;
    std::unique_ptr<TsfSparseArraySourceWriter> m_writer;
    QByteArray m_chromosome;
    // Depths of the bases from m_windowStart on.
    std::vector<int32_t> m_window;
    int64_t m_windowStart = 0;
    VkFeatureList m_batch;
};
