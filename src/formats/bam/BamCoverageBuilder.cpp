#include "formats/bam/BamCoverageBuilder.h"

#include "formats/bam/BamDepth.h"
#include "formats/bam/BamFile.h"
#include "formats/tsf/TsfSparseArraySourceWriter.h"

#include <QFileInfo>

#include <htslib/sam.h>

#include <algorithm>

namespace {

constexpr int kBatchSize = 256;
// A feature holds at most this many bases, so that runs of coverage stay small values.
constexpr int64_t kMaxRun = 4096;

} // namespace

BamCoverageBuilder::BamCoverageBuilder(QString bamPath, QString coveragePath)
    : m_bamPath(std::move(bamPath)), m_coveragePath(std::move(coveragePath)) {}

BamCoverageBuilder::~BamCoverageBuilder() = default;

QString BamCoverageBuilder::coveragePathOf(const QString& bamPath) {
    return bamPath + QStringLiteral(".covtsf");
}

bool BamCoverageBuilder::run(const PrecomputeProgress& progress, QString* error) {
    const std::unique_ptr<BamFile> file = BamFile::open(m_bamPath, error);
    if (!file)
        return false;
    TsfSparseArraySettings settings;
    settings.filePath = m_coveragePath;
    settings.arrayFields = {VkField(0, "Depth", "DP", ValueType::IntArray)};
    settings.arrayFields[0].doc = QStringLiteral("Reads covering the base");
    settings.sourceInfo.name = QFileInfo(m_bamPath).fileName() + QStringLiteral(" coverage");
    settings.sourceInfo.schema = settings.arrayFields;
    settings.sourceInfo.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::DataSequence);
    settings.defaultArrayValue = PVariant(0);
    m_writer = std::make_unique<TsfSparseArraySourceWriter>(settings);
    if (!m_writer->start(error) || !readAll(*file, progress, error) || !flushUntil(INT64_MAX, error) ||
        !writeBatch(error) || !m_writer->finish(error)) {
        m_writer->abandon();
        return false;
    }
    return true;
}

bool BamCoverageBuilder::readAll(BamFile& file, const PrecomputeProgress& progress, QString* error) {
    const std::unique_ptr<bam1_t, void (*)(bam1_t*)> read(bam_init1(), bam_destroy1);
    int tid = -1;
    int64_t lastStart = -1;
    int64_t count = 0;
    int status = 0;
    while ((status = sam_read1(file.file(), file.header(), read.get())) >= 0) {
        const bam1_core_t& core = read->core;
        if (core.tid < 0)
            break; // the unplaced reads come last
        if (core.tid < tid || (core.tid == tid && core.pos < lastStart)) {
            *error = QStringLiteral("%1: its reads are not sorted by position").arg(m_bamPath);
            return false;
        }
        if (core.tid != tid) {
            if (!flushUntil(INT64_MAX, error))
                return false;
            tid = core.tid;
            m_chromosome = file.chromosomes().value(tid);
            m_window.clear();
            m_windowStart = core.pos;
        }
        lastStart = core.pos;
        if (!flushUntil(core.pos, error))
            return false;
        if (BamDepth::counts(read.get())) {
            BamDepth::forEachCoveredRun(read.get(), [this](int64_t start, int64_t stop) {
                const size_t end = size_t(stop - m_windowStart);
                if (m_window.size() < end)
                    m_window.resize(end, 0);
                for (size_t p = size_t(start - m_windowStart); p < end; ++p)
                    ++m_window[p];
                return true;
            });
        }
        if (++count % 65536 == 0 && !progress(file.percentRead(), 100)) {
            *error = QStringLiteral("Cancelled");
            return false;
        }
    }
    if (status < -1) {
        *error = QStringLiteral("%1: the reads are damaged").arg(m_bamPath);
        return false;
    }
    return true;
}

bool BamCoverageBuilder::flushUntil(int64_t until, QString* error) {
    const size_t final =
        size_t(std::min<int64_t>(std::max<int64_t>(until - m_windowStart, 0), int64_t(m_window.size())));
    size_t p = 0;
    while (p < final) {
        if (m_window[p] == 0) {
            ++p;
            continue;
        }
        size_t end = p;
        while (end < final && m_window[end] != 0 && int64_t(end - p) < kMaxRun)
            ++end;
        if (!emitRun(m_windowStart + int64_t(p), m_windowStart + int64_t(end), error))
            return false;
        p = end;
    }
    m_window.erase(m_window.begin(), m_window.begin() + ptrdiff_t(final));
    m_windowStart += int64_t(final);
    return true;
}

bool BamCoverageBuilder::emitRun(int64_t start, int64_t stop, QString* error) {
    const auto first = m_window.begin() + ptrdiff_t(start - m_windowStart);
    QVector<int32_t> depths(first, first + ptrdiff_t(stop - start));
    m_batch.append(VkFeature(VkSegment(m_chromosome, start, stop), {PVariant(std::move(depths))}));
    return m_batch.size() < kBatchSize || writeBatch(error);
}

bool BamCoverageBuilder::writeBatch(QString* error) {
    const bool written = m_batch.isEmpty() || m_writer->write(m_batch, error);
    m_batch.clear();
    return written;
}
