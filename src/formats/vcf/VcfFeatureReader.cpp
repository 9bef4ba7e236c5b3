#include "formats/vcf/VcfFeatureReader.h"

#include "formats/vcf/VcfFeatureCursor.h"
#include "formats/vcf/VcfFile.h"

VcfFeatureReader::VcfFeatureReader(VkSourcePtr source) : LocalFeatureReader(std::move(source)) {}

bool VcfFeatureReader::limitPrefixTrimming(const VkSource& source) {
    const PVariant value = source.info().properties.value("LimitPrefixTrimming");
    return !value.isValid() || value.toQString().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

const VcfSchema* VcfFeatureReader::schema(QString* error) const {
    const auto* schema = source()->resource<VcfSchema>();
    if (!schema)
        *error = QStringLiteral("VCF source %1 was not opened").arg(source()->path());
    return schema;
}

FeatureCursorPtr VcfFeatureReader::openSequentialCursor(qint64 offset, const QList<int>& fields,
                                                        QString* error) {
    const VcfSchema* vcf = schema(error);
    if (!vcf)
        return nullptr;
    auto cursor =
        std::make_unique<VcfFeatureCursor>(*vcf, source()->path(), fields, !limitPrefixTrimming(*source()));
    if (!cursor->openSequential(offset, error))
        return nullptr;
    return cursor;
}

// Without a tabix index the base class scans the whole file.
FeatureCursorPtr VcfFeatureReader::openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                                    QString* error) {
    const QString index =
        VcfFile::isBgzf(source()->path()) ? VcfFile::indexPath(source()->path()) : QString();
    if (index.isEmpty())
        return LocalFeatureReader::openRegionCursor(regions, fields, error);
    const VcfSchema* vcf = schema(error);
    if (!vcf)
        return nullptr;
    auto cursor =
        std::make_unique<VcfFeatureCursor>(*vcf, source()->path(), fields, !limitPrefixTrimming(*source()));
    if (!cursor->openRegions(index, regions, error))
        return nullptr;
    return cursor;
}
