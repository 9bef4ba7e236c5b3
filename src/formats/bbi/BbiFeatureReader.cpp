#include "formats/bbi/BbiFeatureReader.h"

#include "formats/bbi/BbiCursor.h"

FeatureCursorPtr BbiFeatureReader::openSequentialCursor(qint64 offset, const QList<int>& fields,
                                                        QString* error) {
    std::unique_ptr<BbiFile> file = BbiFile::open(source()->path(), error);
    if (!file)
        return nullptr;
    QVector<BbiCursor::Range> ranges = BbiCursor::wholeFile(*file);
    return std::make_unique<BbiCursor>(std::move(file), std::move(ranges), offset, source()->schema(),
                                       fields);
}

FeatureCursorPtr BbiFeatureReader::openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                                    QString* error) {
    std::unique_ptr<BbiFile> file = BbiFile::open(source()->path(), error);
    if (!file)
        return nullptr;
    QVector<BbiCursor::Range> ranges = BbiCursor::rangesOf(*file, regions);
    return std::make_unique<BbiCursor>(std::move(file), std::move(ranges), 0, source()->schema(), fields);
}
