#include "transforms/join/JoinRows.h"

JoinRows::JoinRows(QVector<JoinFieldGroupPtr> groups, int leftFieldCount)
    : m_groups(std::move(groups)), m_leftFieldCount(leftFieldCount) {
    for (const JoinFieldGroupPtr& group : qAsConst(m_groups))
        m_rowPerMatch = m_rowPerMatch || group->rowPerMatch();
}

void JoinRows::append(const VkFeature& left, const JoinMatches& matches, std::deque<VkFeature>& out) const {
    const int rows = m_rowPerMatch ? std::max(1, int(matches.size())) : 1;
    for (int row = 0; row < rows; ++row) {
        PVariantVector values = left.values();
        values.resize(m_leftFieldCount);
        for (const JoinFieldGroupPtr& group : m_groups)
            if (!group->isFilter())
                group->computeValues(left, matches, m_rowPerMatch ? row : -1, values);
        out.emplace_back(left.segment(), std::move(values));
    }
}
