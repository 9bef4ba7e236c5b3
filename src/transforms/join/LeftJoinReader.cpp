#include "transforms/join/LeftJoinReader.h"

#include "source/readers/ReadMode.h"

LeftJoinReader::LeftJoinReader(FeatureCursorPtr left, std::unique_ptr<RightMatcher> right, int mode,
                               JoinRows rows)
    : LeftFeatureCursor(std::move(left)), m_right(std::move(right)), m_mode(mode), m_rows(std::move(rows)) {}

// Within keeps the regions that contain the left feature, Exact those with its start and stop.
bool LeftJoinReader::qualifies(const VkSegment& right, const VkSegment& left) const {
    switch (m_mode) {
    case Vk::Within:
        return right.start() <= left.start() && left.stop() <= right.stop();
    case Vk::Exact:
        return right.start() == left.start() && right.stop() == left.stop();
    default:
        return true;
    }
}

bool LeftJoinReader::join(const VkFeature& left, std::deque<VkFeature>& output, QString* error) {
    if (!m_right->candidates(left.segment(), &m_candidates, error))
        return false;
    m_flags.assign(size_t(m_candidates.size()), 0);
    for (int i = 0; i < m_candidates.size(); ++i)
        m_flags[size_t(i)] = qualifies(m_candidates[i].feature.segment(), left.segment());
    for (const JoinFieldGroupPtr& group : m_rows.groups())
        if (group->isFilter())
            group->filter(left, m_candidates, m_flags);
    m_matches.clear();
    for (int i = 0; i < m_candidates.size(); ++i)
        if (m_flags[size_t(i)])
            m_matches.append(m_candidates[i]);

    m_rows.append(left, m_matches, output);
    return true;
}
