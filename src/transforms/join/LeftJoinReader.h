#pragma once

#include "transforms/join/JoinRows.h"
#include "transforms/join/LeftFeatureCursor.h"
#include "transforms/join/RightMatcher.h"

#include <memory>

// The reader of a left join: every left feature, followed by the values its field groups compute
// from the right features that match it (one record per match when a group asks for it, one record
// with missing values when nothing matched).
class LeftJoinReader : public LeftFeatureCursor {
public:
    LeftJoinReader(FeatureCursorPtr left, std::unique_ptr<RightMatcher> right, int mode, JoinRows rows);

private:
    bool join(const VkFeature& left, std::deque<VkFeature>& output, QString* error) override;
    bool qualifies(const VkSegment& right, const VkSegment& left) const;

    std::unique_ptr<RightMatcher> m_right;
    int m_mode;
    JoinRows m_rows;
    JoinMatches m_candidates;
    JoinMatches m_matches;
    std::vector<char> m_flags;
};
