#include "formats/bam/BamFeatureReader.h"

#include "formats/bam/BamCursor.h"

FeatureCursorPtr BamFeatureReader::openSequentialCursor(qint64 offset, const QList<int>& fields,
                                                        QString* error) {
    std::unique_ptr<BamFile> file = BamFile::open(source()->path(), error);
    if (!file)
        return nullptr;
    return std::make_unique<BamCursor>(std::move(file), offset, fields);
}

FeatureCursorPtr BamFeatureReader::openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                                    QString* error) {
    std::unique_ptr<BamFile> file = BamFile::open(source()->path(), error);
    if (!file)
        return nullptr;
    if (!file->index())
        return LocalFeatureReader::openRegionCursor(regions, fields, error);
    QVector<BamCursor::Range> ranges = BamCursor::rangesOf(*file, regions);
    return std::make_unique<BamCursor>(std::move(file), std::move(ranges), fields);
}
