#include "transforms/AnnotateTranscriptReader.h"

#include <cstring>

namespace {
constexpr int kLeftBatch = 256;

QByteArray bases(const char* data, int size) {
    if (size == 1 && data[0] == '-')
        return QByteArray();
    return QByteArray(data, size).toUpper();
}

bool isPlainBases(const QByteArray& allele) {
    return std::strspn(allele.constData(), "ACGTN") == size_t(allele.size());
}
} // namespace

AnnotateTranscriptReader::AnnotateTranscriptReader(FeatureCursorPtr left, TranscriptCatalog catalog,
                                                   std::shared_ptr<const AnnotateTranscriptFields> fields,
                                                   JoinRows rows)
    : LeftFeatureCursor(std::move(left)), m_catalog(std::move(catalog)), m_fields(std::move(fields)),
      m_rows(std::move(rows)) {}

bool AnnotateTranscriptReader::join(const VkFeature& left, std::deque<VkFeature>& output, QString* error) {
    m_matches.clear();
    const QByteArray& alleles = left.value(m_fields->refAltField()).bytes();
    const char* p = alleles.constData();
    const char* const end = p + alleles.size();
    const char* slash = static_cast<const char*>(std::memchr(p, '/', size_t(end - p)));
    if (slash) {
        const QByteArray ref = bases(p, int(slash - p));
        while (slash) {
            p = slash + 1;
            slash = static_cast<const char*>(std::memchr(p, '/', size_t(end - p)));
            const char* stop = slash ? slash : end;
            if (!annotateAllele(left, ref, QByteArray(p, int(stop - p)), error))
                return false;
        }
    }
    m_rows.append(left, m_matches, output);
    return true;
}

// The allele loses the bases it shares with the reference, first at the front (the base a VCF
// record keeps before an indel), then at the back: "ACG/AG" at 100 becomes the deletion of the C
// at 101.
bool AnnotateTranscriptReader::annotateAllele(const VkFeature& left, const QByteArray& ref,
                                              const QByteArray& alt, QString* error) {
    m_allele.start = left.segment().start();
    m_allele.ref = ref;
    m_allele.alt = bases(alt.constData(), alt.size());
    if (isPlainBases(m_allele.ref) && isPlainBases(m_allele.alt)) {
        QByteArray& r = m_allele.ref;
        QByteArray& a = m_allele.alt;
        int prefix = 0;
        while (prefix < r.size() && prefix < a.size() && r[prefix] == a[prefix])
            ++prefix;
        r.remove(0, prefix);
        a.remove(0, prefix);
        m_allele.start += prefix;
        int suffix = 0;
        while (suffix < r.size() && suffix < a.size() && r[r.size() - 1 - suffix] == a[a.size() - 1 - suffix])
            ++suffix;
        r.chop(suffix);
        a.chop(suffix);
    }
    m_allele.stop = m_allele.start + m_allele.ref.size();
    if (!m_catalog.near(left.segment().chromosome(), m_allele.start, m_allele.stop, &m_near, error))
        return false;
    if (m_near.isEmpty())
        addMatch(alt, nullptr);
    static const TranscriptSequence kNoSequence;
    for (int index : qAsConst(m_near)) {
        const TranscriptModel& model = m_catalog.model(index);
        // Bases are read only for transcripts the allele falls within.
        const bool within = m_allele.start <= model.stop() && m_allele.stop >= model.start();
        const TranscriptSequence* sequence = within ? m_catalog.sequence(index, error) : &kNoSequence;
        if (!sequence)
            return false;
        m_consequence.compute(model, *sequence, m_allele, &m_effect);
        addMatch(alt, &model);
    }
    return true;
}

void AnnotateTranscriptReader::addMatch(const QByteArray& alt, const TranscriptModel* model) {
    PVariantVector values;
    m_fields->describe(alt, model, &m_effect, values);
    m_matches.append(JoinMatch{VkFeature(VkSegment(), std::move(values)), m_matches.size()});
}
