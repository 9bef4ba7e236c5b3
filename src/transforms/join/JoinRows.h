#pragma once

#include "transforms/join/JoinFieldGroup.h"

#include <deque>

// Builds the output records of one left feature from the matches left after the filters: the left
// values followed by every group's values, once per match when a group asks for a record per match,
// else once (with missing right values when nothing matched).
class JoinRows {
public:
    JoinRows(QVector<JoinFieldGroupPtr> groups, int leftFieldCount);

    const QVector<JoinFieldGroupPtr>& groups() const { return m_groups; }
    void append(const VkFeature& left, const JoinMatches& matches, std::deque<VkFeature>& out) const;

private:
    QVector<JoinFieldGroupPtr> m_groups;
    int m_leftFieldCount;
    int m_outputFieldCount;
    bool m_rowPerMatch = false;
};
