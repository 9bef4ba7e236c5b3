#pragma once

#include "source/readers/RegionQuery.h"
#include "transforms/join/JoinFieldGroup.h"

#include <QHash>

// Finds the right features a left feature may match: those on its chromosome that contain it
// (so an insertion inside a region is found) or overlap it, in right-source order.
//
// When the right source is sorted and the left features come in its order, the right source is
// read once, front to back, keeping only the features that can still match (a sweep): a join
// costs what reading both sides costs. A left feature that goes back, or to a chromosome the sweep
// has passed, is answered by a region query of the right source instead, as are all left features
// when the right source is not known to be sorted.
class RightMatcher {
public:
    RightMatcher(VkSourcePtr right, QList<int> fields, bool sweep);

    // The candidates of one left feature; false with the right source's error.
    bool candidates(const VkSegment& left, JoinMatches* out, QString* error);

    static bool isCandidate(const VkSegment& right, const VkSegment& left);

private:
    bool sweep(const VkSegment& left, JoinMatches* out, QString* error);
    bool query(const VkSegment& left, JoinMatches* out, QString* error);
    // Makes the next right feature of the sweep the pending one; false with an error.
    bool readNext(QString* error);
    int rank(const QByteArray& chromosome) const { return m_ranks.value(chromosome, -1); }

    VkSourcePtr m_right;
    QList<int> m_fields;
    bool m_sweeping;
    qint64 m_nextId = 0;
    // The sweep: the right cursor, the feature read ahead, the features that can still match.
    FeatureCursorPtr m_cursor;
    VkFeatureList m_batch;
    int m_inBatch = 0;
    JoinMatch m_pending;
    bool m_hasPending = false;
    bool m_started = false;
    JoinMatches m_active;
    QByteArray m_chromosome;
    int32_t m_lastStart = 0;
    QHash<QByteArray, int> m_ranks;
    RegionQuery m_query;
};
