#include "transforms/join/JoinRows.h"

JoinRows::JoinRows(QVector<JoinFieldGroupPtr> groups, int leftFieldCount)
    : m_groups(std::move(groups)), m_leftFieldCount(leftFieldCount) {
    m_outputFieldCount = leftFieldCount;
    for (const JoinFieldGroupPtr& group : qAsConst(m_groups)) {
        m_rowPerMatch = m_rowPerMatch || group->rowPerMatch();
        m_outputFieldCount += group->outputFields().size();
    }
}

void JoinRows::append(const VkFeature& left, const JoinMatches& matches, std::deque<VkFeature>& out) const {
    const int rows = m_rowPerMatch ? std::max(1, int(matches.size())) : 1;
    for (int row = 0; row < rows; ++row) {
        // Sized once: a row is built by appends, and copying the left vector would detach it.
        PVariantVector values;
        values.reserve(m_outputFieldCount);
        const PVariantVector& leftValues = left.values();
        for (int i = 0; i < m_leftFieldCount; ++i)
            values.append(i < leftValues.size() ? leftValues[i] : PVariant());
        for (const JoinFieldGroupPtr& group : m_groups)
            if (!group->isFilter())
                group->computeValues(left, matches, m_rowPerMatch ? row : -1, values);
        out.emplace_back(left.segment(), std::move(values));
    }
}
