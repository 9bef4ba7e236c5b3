#pragma once

#include "source/readers/FeatureCursor.h"

// Narrows an overlap read to the features that match its regions in the Exact or Within mode,
// and to those that overlap when the inner read is a filtered scan. Reseeks go to the inner
// cursor with the new regions.
class RegionModeCursor : public FeatureCursor {
public:
    RegionModeCursor(FeatureCursorPtr inner, QList<VkSegment> regions, int mode);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return m_inner->atEnd(); }
    int percentDone() const override { return m_inner->percentDone(); }
    bool canReseek() const override { return m_inner->canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override;

private:
    bool keeps(const VkSegment& segment) const;

    FeatureCursorPtr m_inner;
    QList<VkSegment> m_regions;
    int m_mode;
    VkFeatureList m_candidates;
};
