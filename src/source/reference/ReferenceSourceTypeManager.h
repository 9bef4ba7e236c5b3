#pragma once

#include "source/registry/LocalSourceTypeManager.h"

class ReferenceSequence;

// Base of the reference sequence kinds (FASTA, 2bit): their sources read as windows of bases.
// Every request maps straight to windows, so reads by offset, region or id touch only the bases
// they return.
class ReferenceSourceTypeManager : public LocalSourceTypeManager {
protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;
    FeatureCursorPtr openIdsCursor(const VkSourcePtr& source, const QList<qint64>& ids,
                                   const QList<int>& fields, QString* error) const override;
};
