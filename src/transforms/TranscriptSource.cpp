#include "transforms/TranscriptSource.h"

#include "source/readers/RegionQuery.h"
#include "transforms/join/JoinFieldGroups.h"

#include <algorithm>
#include <climits>

namespace {
constexpr int kBatch = 1024;

QString text(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}
} // namespace

bool TranscriptSource::setup(const VkFieldList& schema, QString* error) {
    const auto find = [&schema](const char* key) { return JoinFields::find(schema, QLatin1String(key)); };
    m_strand = find("Strand");
    m_feature = find("Feature");
    m_frame = find("Frame");
    m_transcript = find("transcript_id");
    m_gene = find("gene_name") >= 0 ? find("gene_name") : find("gene_id");
    m_name = find("Name");
    m_thickStart = find("ThickStart");
    m_thickEnd = find("ThickEnd");
    m_blockCount = find("BlockCount");
    m_blockSizes = find("BlockSizes");
    m_blockStarts = find("BlockStarts");
    if (m_feature >= 0 && m_transcript >= 0 && m_strand >= 0) {
        m_layout = Layout::Gtf;
        return true;
    }
    if (m_name >= 0 && m_strand >= 0 && m_thickStart >= 0 && m_thickEnd >= 0) {
        m_layout = Layout::Bed;
        return true;
    }
    *error = QStringLiteral("transcripts are read from GTF lines (Feature, Strand, transcript_id) or "
                            "BED records with a strand and a coding stretch (BED8 to BED12)");
    return false;
}

QList<int> TranscriptSource::fields() const {
    QList<int> fields;
    const QList<int> wanted = m_layout == Layout::Gtf
                                  ? QList<int>{m_feature, m_strand, m_transcript, m_gene, m_frame}
                                  : QList<int>{m_name,       m_strand,     m_thickStart, m_thickEnd,
                                               m_blockCount, m_blockSizes, m_blockStarts};
    for (int field : wanted)
        if (field >= 0)
            fields << field;
    return fields;
}

bool TranscriptSource::read(const VkSourcePtr& source, const QByteArray& chromosome,
                            QVector<TranscriptModel>* models, QString* error) const {
    RegionQuery query(source, fields());
    if (!query.start({VkSegment(chromosome, 0, INT32_MAX)}, error))
        return false;
    QHash<QByteArray, int> byId;
    VkFeatureList batch;
    while (!query.cursor().atEnd()) {
        batch.clear();
        if (!query.cursor().fill(batch, kBatch, error))
            return false;
        for (const VkFeature& feature : qAsConst(batch)) {
            if (m_layout == Layout::Gtf) {
                addGtfLine(feature, byId, *models);
                continue;
            }
            TranscriptModel model;
            if (!fromBed(feature, &model, error))
                return false;
            models->append(std::move(model));
        }
    }
    // Lines that name a transcript without giving it exons (gene or transcript lines alone) leave
    // nothing to annotate against.
    models->erase(std::remove_if(models->begin(), models->end(),
                                 [](const TranscriptModel& model) { return model.exons().isEmpty(); }),
                  models->end());
    for (TranscriptModel& model : *models)
        if (!model.finish(error))
            return false;
    return true;
}

void TranscriptSource::addGtfLine(const VkFeature& feature, QHash<QByteArray, int>& byId,
                                  QVector<TranscriptModel>& models) const {
    const QByteArray& id = feature.value(m_transcript).bytes();
    if (id.isEmpty())
        return;
    auto found = byId.find(id);
    if (found == byId.end()) {
        const bool reverse = feature.value(m_strand).bytes() == "-";
        found = byId.insert(id, models.size());
        models.append(
            TranscriptModel(id, feature.value(m_gene).bytes(), feature.segment().chromosome(), reverse));
    }
    TranscriptModel& model = models[found.value()];
    const QByteArray& type = feature.value(m_feature).bytes();
    const VkSegment& segment = feature.segment();
    if (type == "exon")
        model.addExon(segment.start(), segment.stop());
    else if (type == "CDS" || type == "start_codon" || type == "stop_codon")
        model.addCoding(segment.start(), segment.stop(),
                        m_frame >= 0 ? feature.value(m_frame).intValue() : 0);
}

bool TranscriptSource::fromBed(const VkFeature& feature, TranscriptModel* model, QString* error) const {
    const VkSegment& segment = feature.segment();
    const QByteArray& name = feature.value(m_name).bytes();
    *model = TranscriptModel(name, name, segment.chromosome(), feature.value(m_strand).bytes() == "-");
    const int32_t thickStart = feature.value(m_thickStart).intValue();
    const int32_t thickEnd = feature.value(m_thickEnd).intValue();
    if (thickStart != PVariant::MissingInt && thickEnd != PVariant::MissingInt &&
        thickStart >= segment.start() && thickEnd <= segment.stop())
        model->addCoding(thickStart, thickEnd);
    const int count = m_blockCount >= 0 ? feature.value(m_blockCount).intValue() : PVariant::MissingInt;
    if (count == PVariant::MissingInt || m_blockSizes < 0 || m_blockStarts < 0) {
        model->addExon(segment.start(), segment.stop());
        return true;
    }
    const QVector<int32_t>& sizes = feature.value(m_blockSizes).intVector();
    const QVector<int32_t>& starts = feature.value(m_blockStarts).intVector();
    const QString where = QStringLiteral("BED record %1 at %2").arg(text(name), segment.toString());
    if (count < 1 || sizes.size() < count || starts.size() < count) {
        *error = where + QStringLiteral(": %1 blocks, but %2 sizes and %3 starts")
                             .arg(count)
                             .arg(sizes.size())
                             .arg(starts.size());
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const int64_t start = int64_t(segment.start()) + starts[i];
        const int64_t stop = start + sizes[i];
        if (starts[i] < 0 || sizes[i] < 0 || stop > segment.stop()) {
            *error = where + QStringLiteral(": block %1 lies outside the record").arg(i + 1);
            return false;
        }
        model->addExon(int32_t(start), int32_t(stop));
    }
    return true;
}
