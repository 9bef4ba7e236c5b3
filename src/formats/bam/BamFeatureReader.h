#pragma once

#include "source/readers/LocalFeatureReader.h"

// Reads the aligned reads of a BAM file: in file order, or by region through its index (without
// one, a region read scans the file).
class BamFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    using LocalFeatureReader::LocalFeatureReader;

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
};
