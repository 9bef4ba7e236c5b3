#pragma once

#include "source/readers/FeatureCursor.h"

#include <functional>

// Passes on the features of another cursor that a predicate keeps. The predicate sees each
// feature with its ordinal in the inner cursor, and may end the read early by returning Stop.
class FilteredCursor : public FeatureCursor {
public:
    enum Verdict { Skip, Keep, Stop };
    using Predicate = std::function<Verdict(const VkFeature& feature, qint64 ordinal)>;

    FilteredCursor(FeatureCursorPtr inner, Predicate predicate);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return m_stopped || m_inner->atEnd(); }
    int percentDone() const override { return m_inner->percentDone(); }

private:
    FeatureCursorPtr m_inner;
    Predicate m_predicate;
    qint64 m_ordinal = 0;
    bool m_stopped = false;
};
