#include "source/readers/RegionModeCursor.h"

#include "source/readers/ReadMode.h"

RegionModeCursor::RegionModeCursor(FeatureCursorPtr inner, QList<VkSegment> regions, int mode)
    : m_inner(std::move(inner)), m_regions(std::move(regions)), m_mode(mode) {}

bool RegionModeCursor::fill(VkFeatureList& batch, int maxCount, QString* error) {
    const int wanted = batch.size() + maxCount;
    while (batch.size() < wanted && !m_inner->atEnd()) {
        m_candidates.clear();
        if (!m_inner->fill(m_candidates, wanted - batch.size(), error))
            return false;
        for (const VkFeature& feature : qAsConst(m_candidates))
            if (keeps(feature.segment()))
                batch.append(feature);
    }
    return true;
}

bool RegionModeCursor::reseek(const QList<VkSegment>& regions, QString* error) {
    m_regions = regions;
    return m_inner->reseek(regions, error);
}

bool RegionModeCursor::keeps(const VkSegment& segment) const {
    for (const VkSegment& region : m_regions)
        if (Vk::matches(segment, region, m_mode))
            return true;
    return false;
}
