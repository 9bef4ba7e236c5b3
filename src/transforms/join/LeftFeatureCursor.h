#pragma once

#include "source/readers/FeatureCursor.h"

#include <deque>

// A cursor that reads its left input in batches and turns each left feature into zero or more
// output records (the joins): subclasses say what one left feature gives, this class pulls and
// hands out.
class LeftFeatureCursor : public FeatureCursor {
public:
    explicit LeftFeatureCursor(FeatureCursorPtr left) : m_left(std::move(left)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override;
    int percentDone() const override { return m_left->percentDone(); }

protected:
    // Puts the output records of one left feature into output; false with the reason.
    virtual bool join(const VkFeature& left, std::deque<VkFeature>& output, QString* error) = 0;

private:
    FeatureCursorPtr m_left;
    VkFeatureList m_leftBatch;
    int m_nextLeft = 0;
    std::deque<VkFeature> m_output;
};
