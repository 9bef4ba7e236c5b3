#include "transforms/TranscriptCatalog.h"

#include "source/reference/ReferenceSequence.h"

#include <algorithm>

TranscriptCatalog::TranscriptCatalog(VkSourcePtr source, TranscriptSource layout,
                                     const ReferenceSequence* reference)
    : m_source(std::move(source)), m_layout(std::move(layout)), m_reference(reference) {}

namespace {
// The same chromosome under the other usual naming: "1" for "chr1", "MT" for "chrM" and back.
QByteArray otherNaming(const QByteArray& chromosome) {
    if (chromosome == "chrM")
        return "MT";
    if (chromosome == "MT")
        return "chrM";
    return chromosome.startsWith("chr") ? chromosome.mid(3) : "chr" + chromosome;
}
} // namespace

// Annotations and variants often name chromosomes differently; the other naming is tried when
// the variants' finds no transcript.
bool TranscriptCatalog::load(const QByteArray& chromosome, QString* error) {
    m_chromosome = chromosome;
    m_loaded = false;
    m_models.clear();
    if (!m_layout.read(m_source, chromosome, &m_models, error))
        return false;
    if (m_models.isEmpty() && !m_layout.read(m_source, otherNaming(chromosome), &m_models, error))
        return false;
    std::sort(m_models.begin(), m_models.end(),
              [](const TranscriptModel& a, const TranscriptModel& b) { return a.start() < b.start(); });
    m_maxStops.resize(m_models.size());
    int32_t furthest = INT32_MIN;
    for (int i = 0; i < m_models.size(); ++i)
        m_maxStops[i] = furthest = std::max(furthest, m_models[i].stop());
    m_sequences = QVector<TranscriptSequence>(m_models.size());
    m_read = QVector<char>(m_models.size(), 0);
    m_releasedBelow = 0;
    m_loaded = true;
    return true;
}

bool TranscriptCatalog::near(const QByteArray& chromosome, int32_t start, int32_t stop, QVector<int>* indexes,
                             QString* error) {
    indexes->clear();
    if ((!m_loaded || chromosome != m_chromosome) && !load(chromosome, error))
        return false;
    const int64_t reach = TranscriptModel::UpDownstreamDistance;
    const int64_t last = std::max(stop, start + 1);
    const int first = int(std::upper_bound(m_maxStops.begin(), m_maxStops.end(), int64_t(start) - reach,
                                           [](int64_t place, int32_t maxStop) { return place < maxStop; }) -
                          m_maxStops.begin());
    release(first);
    for (int i = first; i < m_models.size() && m_models[i].start() - reach < last; ++i)
        if (m_models[i].stop() + reach > start)
            indexes->append(i);
    return true;
}

// Transcripts that end before the variant in hand are no longer needed in full while variants
// come in order; a variant that goes back has them read again.
void TranscriptCatalog::release(int below) {
    for (int i = m_releasedBelow; i < below; ++i) {
        if (m_read[i])
            m_sequences[i] = TranscriptSequence();
        m_read[i] = 0;
    }
    m_releasedBelow = below;
}

const TranscriptSequence* TranscriptCatalog::sequence(int index, QString* error) {
    if (m_read[index])
        return &m_sequences[index];
    const TranscriptModel& model = m_models[index];
    QByteArray mrna;
    mrna.reserve(model.mrnaLength());
    QByteArray bases;
    for (const TranscriptModel::Interval& exon : model.exons()) {
        if (!m_reference->bases(model.chromosome(), exon.start, exon.stop, &bases, error))
            return nullptr;
        mrna += bases;
    }
    if (mrna.size() != model.mrnaLength()) {
        *error = QStringLiteral("the reference ends before transcript %1 does (%2)")
                     .arg(QString::fromUtf8(model.id()), QString::fromUtf8(model.chromosome()));
        return nullptr;
    }
    mrna = mrna.toUpper();
    TranscriptSequence& sequence = m_sequences[index];
    sequence.mrna = model.isReverse() ? TranscriptConsequence::reverseComplement(mrna) : mrna;
    sequence.protein = TranscriptConsequence::protein(model, sequence.mrna);
    m_read[index] = 1;
    return &sequence;
}
