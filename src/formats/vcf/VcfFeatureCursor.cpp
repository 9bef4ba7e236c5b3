#include "formats/vcf/VcfFeatureCursor.h"

#include "formats/vcf/VcfFile.h"
#include "source/readers/ReadMode.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

namespace {

// Enough of one kind of warning to show what is wrong with a file without a line per record; the
// rest are counted in one line at the end.
constexpr int kMaxWarningsOfAKind = 10;

// A warning with the values it quotes left out: "INFO GC value '57.43' is not an integer" and the
// same for '12.5' are of one kind.
QString warningKind(const QString& warning) {
    static const QRegularExpression quoted(QStringLiteral("'[^']*'"));
    return QString(warning).replace(quoted, QStringLiteral("''"));
}
constexpr int kMaxDecompressionThreads = 4;

// Groups regions by chromosome (in the order chromosomes first appear) and merges the
// overlapping or touching ones of each chromosome, sorted by start.
QList<VkSegment> mergedRegions(const QList<VkSegment>& regions) {
    QList<QByteArray> chromosomes;
    for (const VkSegment& region : regions)
        if (!chromosomes.contains(region.chromosome()))
            chromosomes.append(region.chromosome());
    QList<VkSegment> merged;
    for (const QByteArray& chromosome : chromosomes) {
        QList<VkSegment> sorted;
        for (const VkSegment& region : regions)
            if (region.chromosome() == chromosome)
                sorted.append(region);
        std::sort(sorted.begin(), sorted.end(),
                  [](const VkSegment& a, const VkSegment& b) { return a.start() < b.start(); });
        const int first = merged.size();
        for (const VkSegment& region : sorted) {
            if (merged.size() > first && region.start() <= merged.last().stop())
                merged.last().setStop(std::max(merged.last().stop(), region.stop()));
            else
                merged.append(region);
        }
    }
    return merged;
}

} // namespace

VcfFeatureCursor::VcfFeatureCursor(const VcfSchema& schema, const QString& path, const QList<int>& fields,
                                   bool trimAlleles)
    : m_path(path), m_parser(schema, fields, trimAlleles), m_fileSize(QFileInfo(path).size()) {}

bool VcfFeatureCursor::openSequential(qint64 offset, QString* error) {
    m_reader.setDecompressionThreads(std::min(QThread::idealThreadCount(), kMaxDecompressionThreads));
    if (!VcfFile::open(m_reader, m_path, QString(), error))
        return false;
    advance();
    for (; offset > 0 && m_line; --offset)
        advance();
    return true;
}

bool VcfFeatureCursor::openRegions(const QString& indexPath, const QList<VkSegment>& regions,
                                   QString* error) {
    if (!VcfFile::open(m_reader, m_path, indexPath, error))
        return false;
    m_regionRead = true;
    return reseek(regions, error);
}

bool VcfFeatureCursor::reseek(const QList<VkSegment>& regions, QString* error) {
    m_regions = mergedRegions(regions);
    m_region = -1;
    m_lastReturned = -1;
    m_line = nullptr;
    m_readError.clear();
    if (nextRegion())
        advance();
    if (m_readError.isEmpty())
        return true;
    *error = m_readError;
    m_readError.clear();
    return false;
}

bool VcfFeatureCursor::nextRegion() {
    while (++m_region < m_regions.size()) {
        const VkSegment& region = m_regions.at(m_region);
        if (m_region == 0 || region.chromosome() != m_regions.at(m_region - 1).chromosome())
            m_lastReturned = -1;
        if (m_reader.startQuery(region.chromosome(), region.start(), region.stop()))
            return true;
        m_readError = m_reader.errorText();
        return false;
    }
    return false;
}

// Header lines, and any other line that starts with "#", are not records; neither are empty lines.
void VcfFeatureCursor::advance() {
    for (;;) {
        m_line = m_reader.nextLine(&m_length, &m_position);
        if (!m_line) {
            if (m_reader.hasError())
                m_readError = m_reader.errorText();
            else if (m_region >= 0 && nextRegion())
                continue;
            return;
        }
        ++m_lineNumber;
        if (m_length > 0 && m_line[0] != '#' && (m_region < 0 || m_position > m_lastReturned))
            return;
    }
}

bool VcfFeatureCursor::fill(VkFeatureList& batch, int maxCount, QString* error) {
    VkFeature feature;
    QString problem;
    const int before = batch.size();
    for (int count = 0; m_line && count < maxCount;) {
        if (!m_parser.parse(m_line, m_length, &feature, &problem)) {
            m_readError = located(problem);
            m_line = nullptr;
            break;
        }
        warn(m_parser.warnings());
        if (include(feature)) {
            batch.append(feature);
            m_lastReturned = m_position;
            ++count;
        }
        advance();
    }
    // The features read before a fault are delivered first; the next fill reports it.
    if (m_line || m_readError.isEmpty() || batch.size() > before)
        return true;
    *error = m_readError;
    m_readError.clear();
    return false;
}

bool VcfFeatureCursor::include(const VkFeature& feature) const {
    return m_region < 0 || Vk::matches(feature.segment(), m_regions.at(m_region), Vk::Overlap);
}

int VcfFeatureCursor::percentDone() const {
    if (m_region >= 0)
        return m_regions.isEmpty() ? 100 : int(100 * qint64(m_region) / m_regions.size());
    if (m_reader.mode() == TextFile::Reader::Mode::Gzip || m_fileSize <= 0)
        return -1;
    // BGZF positions are virtual offsets: the compressed offset of the block is the high part.
    const qint64 offset = m_reader.mode() == TextFile::Reader::Mode::Text ? m_position : m_position >> 16;
    return int(std::min<qint64>(99, 100 * offset / m_fileSize));
}

QString VcfFeatureCursor::located(const QString& message) const {
    if (m_region >= 0)
        return QStringLiteral("%1, at %2: %3").arg(m_path, m_parser.site(), message);
    return QStringLiteral("%1, line %2: %3").arg(m_path, QString::number(m_lineNumber), message);
}

void VcfFeatureCursor::warn(const QStringList& warnings) {
    for (const QString& warning : warnings) {
        const QString kind = warningKind(warning);
        auto found = std::find_if(m_warningKinds.begin(), m_warningKinds.end(),
                                  [&kind](const WarningKind& known) { return known.kind == kind; });
        if (found == m_warningKinds.end())
            found = m_warningKinds.insert(m_warningKinds.end(), {kind, warning, 0});
        if (++found->count <= kMaxWarningsOfAKind)
            qWarning("%s", qUtf8Printable(located(warning)));
    }
}

VcfFeatureCursor::~VcfFeatureCursor() {
    for (const WarningKind& kind : m_warningKinds) {
        if (kind.count > kMaxWarningsOfAKind)
            qWarning("%s", qUtf8Printable(QStringLiteral("%1: %2 more warnings like \"%3\"")
                                              .arg(m_path)
                                              .arg(kind.count - kMaxWarningsOfAKind)
                                              .arg(kind.first)));
    }
}
