#include "formats/bbi/BbiSourceTypeManager.h"

#include "formats/bbi/BbiCursor.h"
#include "formats/bbi/BbiFile.h"
#include "formats/bbi/BigBedColumns.h"
#include "source/registry/VkSourceTypeRegistry.h"

namespace {
[[maybe_unused]] const bool kRegistered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<BbiSourceTypeManager>());
    return true;
}();

void describeBigWig(const BbiFile& file, VkSourceInfo& info) {
    VkField value(0, "Value", "VALUE", ValueType::Float);
    value.doc = QStringLiteral("Signal value over the interval");
    info.schema = {value};
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::DataSequence);
    const bigWigHdr_t* header = file.handle()->hdr;
    info.properties.insert("ValueExtents",
                           PVariantMap{{"min", PVariant(header->minVal)}, {"max", PVariant(header->maxVal)}});
    info.properties.insert("BasesCovered", PVariant(qint64(header->nBasesCovered)));
}

void describeBigBed(const BbiFile& file, VkSourceInfo& info) {
    info.schema = BigBedColumns::fields(file.autoSql(), file.handle()->hdr->fieldCount);
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Interval);
}
} // namespace

QStringList BbiSourceTypeManager::suffixes() const {
    return {QStringLiteral(".bigwig"), QStringLiteral(".bigbed"), QStringLiteral(".bb"),
            QStringLiteral(".bw")};
}

bool BbiSourceTypeManager::describe(VkSource& source, QString* error) const {
    const std::unique_ptr<BbiFile> file = BbiFile::open(source.path(), error);
    if (!file)
        return false;
    VkSourceInfo& info = source.info();
    info.describeFile(source.path());
    info.entityCount = 0;
    info.properties.insert("Kind", PVariant(file->isBigBed() ? "bigBed" : "bigWig"));
    info.chromosomeOrder = ChromosomeOrder(file->chromosomes().toList(), ChromosomeOrder::Sortedness::Sorted);
    if (file->isBigBed())
        describeBigBed(*file, info);
    else
        describeBigWig(*file, info);
    return true;
}

FeatureCursorPtr BbiSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                            const QList<int>& fields, QString* error) const {
    std::unique_ptr<BbiFile> file = BbiFile::open(source->path(), error);
    if (!file)
        return nullptr;
    QVector<BbiCursor::Range> ranges = BbiCursor::wholeFile(*file);
    return std::make_unique<BbiCursor>(std::move(file), std::move(ranges), offset, source->schema(), fields);
}

FeatureCursorPtr BbiSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                         const QList<VkSegment>& regions,
                                                         const QList<int>& fields, QString* error) const {
    std::unique_ptr<BbiFile> file = BbiFile::open(source->path(), error);
    if (!file)
        return nullptr;
    QVector<BbiCursor::Range> ranges = BbiCursor::rangesOf(*file, regions);
    return std::make_unique<BbiCursor>(std::move(file), std::move(ranges), 0, source->schema(), fields);
}
