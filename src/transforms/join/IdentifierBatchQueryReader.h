#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/readers/RegionQuery.h"
#include "transforms/join/JoinRows.h"
#include "transforms/join/RightIdIndex.h"

#include <deque>

// The reader of an identifier join: every left feature, followed by the values its field groups
// compute from the right records that carry one of its identifiers (one record per match when a
// group asks for it, one record with missing values when nothing matched).
//
// The right source's identifiers are indexed once, when the first left batch is read (the index
// keeps a hash and a place per record, not the records). Left features are then read in batches;
// the places of every right record that may carry an identifier of the batch are asked of the right
// source as one region query, in the right source's order, and the records found are matched by
// identifier. Memory is the index plus one batch of each side.
class IdentifierBatchQueryReader : public FeatureCursor {
public:
    struct Join {
        VkSourcePtr right;
        int leftIdField = -1;
        int rightIdField = -1;
        // The right fields the groups read, the identifier among them.
        QList<int> rightFields;
        JoinRows rows;
    };

    IdentifierBatchQueryReader(FeatureCursorPtr left, Join join);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override;
    int percentDone() const override { return m_left->percentDone(); }

private:
    // Reads the next left batch and puts the output records of its features into the buffer.
    bool joinNextBatch(QString* error);
    // The right records carrying an identifier of the left batch, by identifier.
    bool findMatches(QString* error);
    QList<VkSegment> placesOfWantedKeys() const;
    void join(const VkFeature& left);

    FeatureCursorPtr m_left;
    Join m_join;
    bool m_indexed = false;
    RightIdIndex m_index;
    RegionQuery m_query;
    VkFeatureList m_leftBatch;
    // Every identifier of the left batch, with the right records in m_found that carry it.
    QHash<QByteArray, QVector<int>> m_byKey;
    JoinMatches m_found;
    qint64 m_nextId = 0;
    std::deque<VkFeature> m_output;
    QVector<QByteArray> m_keys;
    QVector<int> m_picked;
    JoinMatches m_matches;
};
