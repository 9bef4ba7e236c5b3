#pragma once

#include "source/readers/LocalFeatureReader.h"

// Reads the features of a structured JSON track (its source's resource is a JsonTrack) from
// memory; region reads go through the track's interval index.
class JsonFeatureReader : public LocalFeatureReader {
public:
    using LocalFeatureReader::LocalFeatureReader;

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
};
