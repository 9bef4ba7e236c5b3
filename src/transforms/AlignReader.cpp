#include "transforms/AlignReader.h"

#include "source/reference/ReferenceSequence.h"

namespace {
constexpr int kInputBatch = 1024;
// The queue's least length before its front may go.
constexpr size_t kQueuedRecords = 35;
// How far behind the latest input the front must lie: the furthest a record moves, and a margin.
constexpr qint64 kHeldBases = FeatureAligner::MaxShift + 20;
} // namespace

AlignReader::AlignReader(FeatureCursorPtr input, AlignSettings settings,
                         std::unique_ptr<FeatureAligner> aligner)
    : m_input(std::move(input)), m_settings(std::move(settings)), m_aligner(std::move(aligner)),
      m_cache(ReferenceSequence::of(*m_settings.reference)) {}

bool AlignReader::fill(VkFeatureList& batch, int maxCount, QString* error) {
    for (int added = 0; added < maxCount; ++added) {
        while (!m_inputDone && !frontIsFinal())
            if (!readNext(error))
                return false;
        if (m_queue.empty())
            return true;
        batch.append(std::move(m_queue.front()));
        m_queue.pop_front();
    }
    return true;
}

bool AlignReader::reseek(const QList<VkSegment>& regions, QString* error) {
    m_queue.clear();
    m_inputBatch.clear();
    m_inputNext = 0;
    m_inputDone = false;
    m_lastRead = VkSegment();
    return m_input->reseek(regions, error);
}

bool AlignReader::frontIsFinal() const {
    if (m_queue.size() < kQueuedRecords)
        return false;
    const VkSegment& front = m_queue.front().segment();
    return front.chromosome() != m_lastRead.chromosome() || front.start() < m_lastRead.start() - kHeldBases;
}

bool AlignReader::readNext(QString* error) {
    if (m_inputNext >= m_inputBatch.size()) {
        m_inputBatch.clear();
        m_inputNext = 0;
        if (m_input->atEnd()) {
            m_inputDone = true;
            return true;
        }
        return m_input->fill(m_inputBatch, kInputBatch, error);
    }
    // Taken, not copied: rewriting the alleles then changes the only copy of the record.
    VkFeature feature = std::move(m_inputBatch[m_inputNext++]);
    m_lastRead = feature.segment();
    if (m_settings.duplicateRecords)
        enqueue(feature);
    const FeatureAligner::Result result = alignFeature(feature, error);
    if (result == FeatureAligner::Result::Failed)
        return false;
    if (result == FeatureAligner::Result::Unaligned && m_settings.duplicateRecords)
        return true;
    enqueue(std::move(feature));
    return true;
}

FeatureAligner::Result AlignReader::alignFeature(VkFeature& feature, QString* error) {
    if (!readAlleles(feature))
        return FeatureAligner::Result::Unaligned;
    const VariantAlleles before = m_alleles;
    const FeatureAligner::Result result =
        m_aligner->align(feature.segment().chromosome(), m_settings.windowSize, &m_cache, &m_alleles, error);
    const bool moved =
        m_alleles.start != before.start || m_alleles.ref != before.ref || m_alleles.alts != before.alts;
    if (result == FeatureAligner::Result::Aligned && moved)
        writeAlleles(feature);
    return result;
}

bool AlignReader::readAlleles(const VkFeature& feature) {
    const AlignFields& fields = m_settings.fields;
    m_alleles.start = feature.segment().start();
    if (fields.ref >= 0 && fields.alt >= 0) {
        const PVariant& ref = feature.value(fields.ref);
        const PVariant& alts = feature.value(fields.alt);
        if (ref.type() != ValueType::String || alts.type() != ValueType::StringArray)
            return false;
        m_alleles.ref = ref.bytes();
        m_alleles.alts = alts.stringVector();
        return true;
    }
    const PVariant& refAlt = feature.value(fields.refAlt);
    if (refAlt.type() != ValueType::String)
        return false;
    const QList<QByteArray> alleles = refAlt.bytes().split('/');
    m_alleles.ref = alleles.first();
    m_alleles.alts.clear();
    for (int i = 1; i < alleles.size(); ++i)
        m_alleles.alts.append(alleles[i]);
    return true;
}

void AlignReader::writeAlleles(VkFeature& feature) const {
    const AlignFields& fields = m_settings.fields;
    VkSegment segment = feature.segment();
    segment.setStart(m_alleles.start);
    segment.setStop(m_alleles.start + m_alleles.ref.size());
    feature.setSegment(std::move(segment));
    if (fields.ref >= 0)
        feature.setValue(fields.ref, PVariant(m_alleles.ref));
    if (fields.alt >= 0)
        feature.setValue(fields.alt, PVariant(m_alleles.alts));
    if (fields.refAlt >= 0) {
        QByteArray joined = m_alleles.ref;
        for (const QByteArray& alt : m_alleles.alts)
            joined += '/' + alt;
        feature.setValue(fields.refAlt, PVariant(joined));
    }
}

// Inserts by start after every record at or before it, so records of one start keep their order.
void AlignReader::enqueue(VkFeature feature) {
    auto at = m_queue.end();
    while (at != m_queue.begin()) {
        const VkSegment& before = std::prev(at)->segment();
        if (before.chromosome() != feature.segment().chromosome() ||
            before.start() <= feature.segment().start())
            break;
        --at;
    }
    m_queue.insert(at, std::move(feature));
}
