#pragma once

#include "formats/track/LineTrack.h"
#include "source/registry/LocalSourceTypeManager.h"

// Base of the managers of line-oriented tracks. A kind's describe() leaves a LineTrack of its
// format as the source's resource; its cursors read through it.
class LineTrackSourceTypeManager : public LocalSourceTypeManager {
protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;

    // Makes the track the source's resource and takes its chromosome order.
    static void attachTrack(VkSource& source, QSharedPointer<LineTrack> track);

    // Lines a kind parses when it opens a file, so that a file of another kind fails early.
    static constexpr int ProbeLines = 1000;

    // Fails with "%1 does not exist" when the path is not a file; otherwise sets the source's name,
    // size and feature type.
    static bool describeFile(VkSource& source, const char* featureType, QString* error);
};
