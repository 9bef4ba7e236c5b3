#include "transforms/framework/UnavailableTransform.h"

#include "meta/Json.h"

namespace {

struct KnownTransform {
    const char* name;
    int minInputCount;
};

// Every transform name this program recognises, with the least number of inputs each takes.
const KnownTransform kKnownTransforms[] = {
    {"annotateRegion", 1},
    {"annotateOverlapRegion", 1},
    {"annotateVariant", 2},
    {"batchAnnotateRegion", 2},
    {"batchAnnotateOverlapRegion", 2},
    {"batchAnnotateVariant", 2},
    {"batchAnnotateID", 2},
    {"batchAnnotateOverlapCNV", 2},
    {"altRatio", 1},
    {"error", 0},
    {"additiveSubsetSamples", 1},
    {"aggregateCountsPerGroup", 3},
    {"annotateAAEquivalentTransform", 1},
    {"annotateCADD", 1},
    {"annotateConservation", 1},
    {"annotateGene", 1},
    {"annotateMultiAlign", 1},
    {"annotateOverlapCNV", 1},
    {"annotateOverlapGene", 1},
    {"annotateProteinDomain", 1},
    {"annotateSingleTranscriptTransform", 1},
    {"appendEntityFields", 1},
    {"BinCoverageStatsTransform", 1},
    {"bufferedQueryTransform", 1},
    {"cachedfields", 0},
    {"CNVRankwise", 1},
    {"cnvtypefield", 1},
    {"compactVariantName", 1},
    {"conservationScores", 3},
    {"convertTSFHeatMapToVatiantMap", 1},
    {"countAlleles", 1},
    {"countsPerMappedGroup", 3},
    {"dropFields", 1},
    {"entitiesAsFeatures", 1},
    {"entitiesAsFields", 1},
    {"familyGenotypeMultiAllelicSplit", 1},
    {"featurePerBaseTransform", 0},
    {"fieldsToMatrix", 1},
    {"fillSamples", 1},
    {"filterByCacheKey", 1},
    {"filterByIdList", 1},
    {"filterByTsfExpressionTree", 1},
    {"filterByTsfSample", 1},
    {"filterSamplesByExpr", 1},
    {"flattenSampleFields", 1},
    {"freqencyAwareZygosity", 1},
    {"fullyFlattenedMultiAllelicSplit", 1},
    {"genomicDropStringGenotype", 1},
    {"groupSamples", 1},
    {"idField", 1},
    {"includeBackendFields", 1},
    {"joinFields", 1},
    {"joinLocusWiseFields", 1},
    {"liftOver", 1},
    {"liftOverSource", 1},
    {"mapFields", 1},
    {"mapRecords", 1},
    {"matchEntityStringList", 2},
    {"matchStringList", 1},
    {"mendelError", 1},
    {"missenseVariants", 1},
    {"normalizeAlleles", 1},
    {"picklePromise", 0},
    {"populationGenotypeMultiAllelicSplit", 1},
    {"refAlt", 1},
    {"replaceEntityFields", 1},
    {"reservedentitysamplenamefield", 1},
    {"sampleToLocus", 1},
    {"segment", 1},
    {"smoothValue", 1},
    {"sourceBuffer", 1},
    {"sourceMeta", 1},
    {"splitFeatureOnList", 1},
    {"splitRefAlt", 1},
    {"sqltable", 0},
    {"stringGenotypeField", 1},
    {"styleByExpr", 1},
    {"styleByValue", 1},
    {"styleUniform", 1},
    {"subsetOnTrack", 1},
    {"subsetSamples", 1},
    {"subsetUsageSpace", 1},
    {"variantCollapsing", 1},
    {"variantCoverage", 1},
    {"variantMapCoverage", 1},
    {"variantType", 1},
    {"zygosity", 1},
};

QStringList stringList(const PVariant& value) {
    QStringList list;
    for (const QString& text : value.toStringList())
        list << text;
    return list;
}

} // namespace

UnavailableTransform::UnavailableTransform(QString name, int minInputCount, PVariantMap options)
    : FnTransform(VkOptionsValue()), m_name(std::move(name)), m_minInputCount(minInputCount),
      m_options(std::move(options)) {}

TransformRegistry::Factory UnavailableTransform::factoryFor(const QString& lowerName) {
    for (const KnownTransform& known : kKnownTransforms) {
        const QString name = QString::fromLatin1(known.name);
        if (name.toLower() == lowerName)
            return [name, count = known.minInputCount](const PVariantMap& options) {
                return std::make_shared<UnavailableTransform>(name, count, options);
            };
    }
    return nullptr;
}

QByteArray UnavailableTransform::optionsJson() const {
    return Json::write(PVariant(m_options), Json::Style::Compact);
}

// The inputs are wherever the options keep them; both customary keys are honoured.
QStringList UnavailableTransform::inputUrls() const {
    const PVariant nested = m_options.value("fields");
    const PVariantMap& fields = nested.type() == ValueType::KeyValuePairs ? nested.map() : m_options;
    if (fields.contains("sourceUrl"))
        return {fields.value("sourceUrl").toQString()};
    return stringList(fields.value("sourceUrls"));
}

void UnavailableTransform::setInputUrls(const QStringList&) {}

QString UnavailableTransform::reason() const {
    return QStringLiteral("The transform %1 is not available in this version of varkit").arg(m_name);
}

bool UnavailableTransform::open(QString* error) {
    *error = reason();
    return false;
}

FeatureCursorPtr UnavailableTransform::createFeatureReader(const ReadRequest&, QString* error) const {
    *error = reason();
    return nullptr;
}
