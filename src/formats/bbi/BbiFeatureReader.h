#pragma once

#include "source/readers/LocalFeatureReader.h"

// Reads the items of a bigWig or bigBed file, whole or by region through the file's own index.
class BbiFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    using LocalFeatureReader::LocalFeatureReader;

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
};
