#pragma once

#include "source/readers/FeatureCursor.h"
#include "transforms/join/JoinRows.h"
#include "transforms/join/RightMatcher.h"

#include <deque>
#include <memory>

// The reader of a left join: every left feature, followed by the values its field groups compute
// from the right features that match it (one record per match when a group asks for it, one record
// with missing values when nothing matched).
class LeftJoinReader : public FeatureCursor {
public:
    LeftJoinReader(FeatureCursorPtr left, std::unique_ptr<RightMatcher> right, int mode, JoinRows rows);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override;
    int percentDone() const override { return m_left->percentDone(); }

private:
    // Puts the output records of one left feature into the buffer; false with the right's error.
    bool join(const VkFeature& left, QString* error);
    bool qualifies(const VkSegment& right, const VkSegment& left) const;

    FeatureCursorPtr m_left;
    std::unique_ptr<RightMatcher> m_right;
    int m_mode;
    JoinRows m_rows;
    VkFeatureList m_leftBatch;
    int m_nextLeft = 0;
    std::deque<VkFeature> m_output;
    JoinMatches m_candidates;
    JoinMatches m_matches;
    std::vector<char> m_flags;
};
