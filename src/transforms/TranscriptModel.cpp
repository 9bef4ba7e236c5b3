#include "transforms/TranscriptModel.h"

#include <algorithm>
#include <climits>

TranscriptModel::TranscriptModel(QByteArray id, QByteArray gene, QByteArray chromosome, bool reverse)
    : m_id(std::move(id)), m_gene(std::move(gene)), m_chromosome(std::move(chromosome)), m_reverse(reverse) {}

void TranscriptModel::addCoding(int32_t start, int32_t stop, int phase) {
    if (stop <= start)
        return;
    const bool first = !isCoding() || (m_reverse ? stop > m_codingStop : start < m_codingStart);
    if (first)
        m_phase = phase >= 0 && phase <= 2 ? phase : 0;
    if (!isCoding()) {
        m_codingStart = start;
        m_codingStop = stop;
        return;
    }
    m_codingStart = std::min(m_codingStart, start);
    m_codingStop = std::max(m_codingStop, stop);
}

bool TranscriptModel::finish(QString* error) {
    std::sort(m_exons.begin(), m_exons.end(),
              [](const Interval& a, const Interval& b) { return a.start < b.start; });
    QVector<Interval> joined;
    for (const Interval& exon : qAsConst(m_exons)) {
        if (exon.stop <= exon.start)
            continue;
        if (!joined.isEmpty() && exon.start <= joined.last().stop)
            joined.last().stop = std::max(joined.last().stop, exon.stop);
        else
            joined.append(exon);
    }
    m_exons = joined;
    if (m_exons.isEmpty()) {
        *error = QStringLiteral("transcript %1 has no exons").arg(QString::fromUtf8(m_id));
        return false;
    }
    m_exonOffsets.resize(m_exons.size());
    int64_t length = 0;
    for (int i = 0; i < m_exons.size(); ++i) {
        const int g = m_reverse ? m_exons.size() - 1 - i : i;
        m_exonOffsets[g] = int(length);
        length += m_exons[g].stop - m_exons[g].start;
    }
    if (length > INT_MAX) {
        *error = QStringLiteral("transcript %1 is too long").arg(QString::fromUtf8(m_id));
        return false;
    }
    m_mrnaLength = int(length);
    if (!isCoding())
        return true;
    const int first = mrnaIndex(m_reverse ? m_codingStop - 1 : m_codingStart);
    const int last = mrnaIndex(m_reverse ? m_codingStart : m_codingStop - 1);
    if (first < 0 || last < 0) {
        *error = QStringLiteral("the coding region of transcript %1 lies outside its exons")
                     .arg(QString::fromUtf8(m_id));
        return false;
    }
    m_codingOffset = first;
    m_codingEnd = last + 1;
    if (m_codingOffset + m_phase >= m_codingEnd)
        m_phase = 0;
    return true;
}

int TranscriptModel::mrnaIndex(int32_t position) const {
    const auto after = std::upper_bound(m_exons.begin(), m_exons.end(), position,
                                        [](int32_t p, const Interval& exon) { return p < exon.start; });
    if (after == m_exons.begin())
        return -1;
    const int g = int(after - m_exons.begin()) - 1;
    const Interval& exon = m_exons[g];
    if (position >= exon.stop)
        return -1;
    return m_exonOffsets[g] + (m_reverse ? exon.stop - 1 - position : position - exon.start);
}

int TranscriptModel::exonEndIndex(int index) const {
    for (int g = 0; g < m_exons.size(); ++g) {
        const int end = m_exonOffsets[g] + m_exons[g].stop - m_exons[g].start;
        if (index >= m_exonOffsets[g] && index < end)
            return end;
    }
    return m_mrnaLength;
}

int TranscriptModel::exonNumber(int g) const {
    return m_reverse ? m_exons.size() - g : g + 1;
}

// The intron after genomic exon g.
int TranscriptModel::intronNumber(int g) const {
    return m_reverse ? m_exons.size() - 1 - g : g + 1;
}

int TranscriptModel::insertionIndex(int32_t position) const {
    const int before = mrnaIndex(position - 1);
    if (before < 0 || mrnaIndex(position) < 0)
        return -1;
    return m_reverse ? before : before + 1;
}

namespace {
// The UTR of the exonic bases before the coding stretch on the genome, or after it.
TranscriptRegion utr(bool beforeCoding, bool reverse) {
    return beforeCoding != reverse ? TranscriptRegion::FivePrimeUtr : TranscriptRegion::ThreePrimeUtr;
}

// Keeps the number of the first exon or intron met in the transcript's direction.
void keepFirst(int* kept, int number) {
    if (*kept == 0 || number < *kept)
        *kept = number;
}
} // namespace

void TranscriptModel::locateIntron(int g, int32_t start, int32_t stop, Location* location, int* best) const {
    const int32_t a = m_exons[g].stop;
    const int32_t b = m_exons[g + 1].start;
    int32_t distance = 0;
    if (start == stop) {
        // Between two intron bases, or between an exon and the intron: counted by the further
        // neighbour, so that only an insertion that splits the splice site's two bases is in it.
        if (start < a || start > b)
            return;
        distance = std::min(start - a + 1, b - start + 1);
    } else {
        const int32_t first = std::max(start, a);
        const int32_t last = std::min(stop, b) - 1;
        if (first > last)
            return;
        distance = std::min(first - a + 1, b - last);
    }
    keepFirst(&location->intron, intronNumber(g));
    const TranscriptRegion region = distance <= SpliceSiteDistance     ? TranscriptRegion::SpliceSite
                                    : distance <= SpliceRegionDistance ? TranscriptRegion::SpliceRegion
                                                                       : TranscriptRegion::Intron;
    *best = std::min(*best, int(region));
}

TranscriptModel::Location TranscriptModel::locate(int32_t start, int32_t stop) const {
    Location location;
    int best = int(TranscriptRegion::Intergenic);
    const bool insertion = start == stop;
    if (insertion && insertionIndex(start) >= 0) {
        const int m = insertionIndex(start);
        const bool coding = isCoding() && m > m_codingOffset && m < m_codingEnd;
        location.region = !isCoding()           ? TranscriptRegion::NoncodingExon
                          : coding              ? TranscriptRegion::CodingExon
                          : m <= m_codingOffset ? TranscriptRegion::FivePrimeUtr
                                                : TranscriptRegion::ThreePrimeUtr;
        for (int g = 0; g < m_exons.size(); ++g)
            if (start > m_exons[g].start && start < m_exons[g].stop)
                location.exon = exonNumber(g);
        return location;
    }
    for (int g = 0; g < m_exons.size(); ++g) {
        const Interval& exon = m_exons[g];
        if (!insertion && start < exon.stop && exon.start < stop) {
            keepFirst(&location.exon, exonNumber(g));
            const int32_t first = std::max(start, exon.start);
            const int32_t last = std::min(stop, exon.stop);
            if (!isCoding())
                best = std::min(best, int(TranscriptRegion::NoncodingExon));
            if (isCoding() && first < m_codingStop && m_codingStart < last)
                best = std::min(best, int(TranscriptRegion::CodingExon));
            if (isCoding() && first < m_codingStart)
                best = std::min(best, int(utr(true, m_reverse)));
            if (isCoding() && last > m_codingStop)
                best = std::min(best, int(utr(false, m_reverse)));
        }
        if (g + 1 < m_exons.size())
            locateIntron(g, start, stop, &location, &best);
    }
    const bool before = insertion ? start <= this->start() : start < this->start();
    const bool after = insertion ? start >= this->stop() : stop > this->stop();
    if (before)
        best = std::min(best, int(m_reverse ? TranscriptRegion::Downstream : TranscriptRegion::Upstream));
    if (after)
        best = std::min(best, int(m_reverse ? TranscriptRegion::Upstream : TranscriptRegion::Downstream));
    location.region = TranscriptRegion(best);
    return location;
}

QByteArray TranscriptModel::hgvsMrnaPosition(int m) const {
    const int offset = isCoding() ? m_codingOffset : 0;
    const int end = isCoding() ? m_codingEnd : m_mrnaLength;
    if (m < offset)
        return '-' + QByteArray::number(offset - m);
    if (m >= end)
        return '*' + QByteArray::number(m - end + 1);
    return QByteArray::number(m - offset + 1);
}

QByteArray TranscriptModel::hgvsPosition(int32_t p) const {
    const int m = mrnaIndex(p);
    if (m >= 0)
        return hgvsMrnaPosition(m);
    if (p < start() || p >= stop()) {
        const int distance = p < start() ? start() - p : p - stop() + 1;
        const bool upstream = (p < start()) != m_reverse;
        return hgvsMrnaPosition(upstream ? -distance : m_mrnaLength - 1 + distance);
    }
    const auto after = std::upper_bound(m_exons.begin(), m_exons.end(), p,
                                        [](int32_t q, const Interval& exon) { return q < exon.start; });
    const int32_t a = (after - 1)->stop;
    const int32_t b = after->start;
    const int32_t fromLeft = p - a + 1;
    const int32_t fromRight = b - p;
    // The nearer exon names the base; a base in the middle counts from the exon before it.
    const bool nearLeft = m_reverse ? fromLeft < fromRight : fromLeft <= fromRight;
    const bool leftIsUpstream = !m_reverse;
    const int32_t anchor = nearLeft ? a - 1 : b;
    const int32_t distance = nearLeft ? fromLeft : fromRight;
    const char sign = nearLeft == leftIsUpstream ? '+' : '-';
    return hgvsMrnaPosition(mrnaIndex(anchor)) + sign + QByteArray::number(distance);
}
