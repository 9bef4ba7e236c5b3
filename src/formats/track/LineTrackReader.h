#pragma once

#include "source/readers/LocalFeatureReader.h"

// The feature reader of every line-oriented track (its source's resource is a LineTrack). Region
// reads go through the tabix index of a bgzip file, else through the track's in-memory index,
// else (a track too large for memory) through a scan of the whole file.
class LineTrackReader : public LocalFeatureReader {
public:
    using LocalFeatureReader::LocalFeatureReader;

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
};
