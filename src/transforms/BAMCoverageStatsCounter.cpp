#include "transforms/BAMCoverageStatsCounter.h"

#include "formats/bam/BamDepth.h"

#include <htslib/bgzf.h>
#include <htslib/sam.h>

#include <algorithm>

namespace {
// A long feature is measured a window at a time, so memory stays bounded whatever its length.
constexpr int32_t kWindow = 1 << 20;
constexpr int kBlockCacheBytes = 16 << 20;
} // namespace

BAMCoverageStatsCounter::BAMCoverageStatsCounter(std::unique_ptr<BamFile> file)
    : m_file(std::move(file)), m_read(bam_init1()) {
    // Neighbouring features share compressed blocks: kept decoded, a block is inflated once.
    bgzf_set_cache_size(m_file->file()->fp.bgzf, kBlockCacheBytes);
}

BAMCoverageStatsCounter::~BAMCoverageStatsCounter() {
    bam_destroy1(m_read);
}

std::unique_ptr<BAMCoverageStatsCounter> BAMCoverageStatsCounter::open(const QString& path, QString* error) {
    std::unique_ptr<BamFile> file = BamFile::open(path, error);
    if (!file)
        return nullptr;
    if (!file->index()) {
        *error =
            QStringLiteral("%1 has no index: coverage statistics need one (varkit index or samtools index)")
                .arg(path);
        return nullptr;
    }
    return std::unique_ptr<BAMCoverageStatsCounter>(new BAMCoverageStatsCounter(std::move(file)));
}

int BAMCoverageStatsCounter::tidOf(const QByteArray& chromosome) const {
    const int tid = m_file->tid(chromosome);
    if (tid >= 0)
        return tid;
    if (chromosome.startsWith("chr"))
        return m_file->tid(chromosome.mid(3));
    return m_file->tid("chr" + chromosome);
}

bool BAMCoverageStatsCounter::measure(const VkSegment& feature, int targetDepth, CoverageStats* stats,
                                      QString* error) {
    *stats = CoverageStats();
    stats->span = feature.length();
    const int tid = tidOf(feature.chromosome());
    if (tid < 0)
        return true;
    for (int32_t begin = std::max(0, feature.start()); begin < feature.stop(); begin += kWindow) {
        const int32_t end = begin + std::min(kWindow, feature.stop() - begin);
        if (!measureWindow(tid, begin, end, targetDepth, stats, error))
            return false;
    }
    return true;
}

bool BAMCoverageStatsCounter::measureWindow(int tid, int32_t begin, int32_t end, int targetDepth,
                                            CoverageStats* stats, QString* error) {
    const std::unique_ptr<hts_itr_t, void (*)(hts_itr_t*)> reads(
        sam_itr_queryi(m_file->index(), tid, begin, end), hts_itr_destroy);
    if (!reads) {
        *error = QStringLiteral("%1: the index cannot be read").arg(m_file->path());
        return false;
    }
    m_changes.fill(0, end - begin + 1);
    int status;
    while ((status = sam_itr_next(m_file->file(), reads.get(), m_read)) >= 0)
        if (BamDepth::counts(m_read))
            addRead(begin, end);
    // -1 is the end of the reads; less is a record htslib could not decode.
    if (status < -1) {
        *error = QStringLiteral("%1 is damaged: a read cannot be decoded").arg(m_file->path());
        return false;
    }
    const int32_t* changes = m_changes.constData();
    int32_t depth = 0;
    for (int32_t i = 0; i < end - begin; ++i) {
        depth += changes[i];
        stats->depthSum += depth;
        for (int t = 0; t < CoverageStats::ThresholdCount; ++t)
            stats->atLeast[t] += depth >= CoverageStats::Thresholds[t];
        stats->atTarget += targetDepth > 0 && depth >= targetDepth;
    }
    return true;
}

void BAMCoverageStatsCounter::addRead(int32_t begin, int32_t end) {
    int32_t* changes = m_changes.data();
    BamDepth::forEachCoveredRun(m_read, [&](int64_t start, int64_t stop) {
        const int64_t from = std::max<int64_t>(start, begin);
        const int64_t to = std::min<int64_t>(stop, end);
        if (from < to) {
            ++changes[from - begin];
            --changes[to - begin];
        }
        return stop < end;
    });
}
