#include "source/readers/FilteredCursor.h"

FilteredCursor::FilteredCursor(FeatureCursorPtr inner, Predicate predicate)
    : m_inner(std::move(inner)), m_predicate(std::move(predicate)) {}

bool FilteredCursor::fill(VkFeatureList& batch, int maxCount, QString* error) {
    VkFeatureList candidates;
    while (batch.size() < maxCount && !atEnd()) {
        candidates.clear();
        if (!m_inner->fill(candidates, maxCount - batch.size(), error))
            return false;
        for (const VkFeature& feature : qAsConst(candidates)) {
            const Verdict verdict = m_predicate(feature, m_ordinal++);
            if (verdict == Stop) {
                m_stopped = true;
                break;
            }
            if (verdict == Keep)
                batch.append(feature);
        }
    }
    return true;
}
