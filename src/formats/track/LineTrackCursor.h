#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

// Reads line-oriented tracks (the source's resource is a LineTrack). Region reads go through the
// tabix index of a bgzip file, else through the track's in-memory index.
namespace LineTrackCursor {

FeatureCursorPtr openSequential(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                QString* error);
// Null with an empty error when the track has neither index (it is too large for memory): the
// caller then scans the whole file.
FeatureCursorPtr openIndexed(const VkSourcePtr& source, const QList<VkSegment>& regions,
                             const QList<int>& fields, QString* error);

} // namespace LineTrackCursor
