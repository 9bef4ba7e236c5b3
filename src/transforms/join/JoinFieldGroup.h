#pragma once

#include "source/model/VkFeature.h"
#include "source/registry/VkSource.h"

#include <QVector>

#include <vector>

// A right feature that matched a left feature, with the identifier the join gave it: the order in
// which the join met it in the right source.
struct JoinMatch {
    VkFeature feature;
    qint64 id = 0;
};
// The right features of one left feature, in right-source order. Empty stands for no match (the
// placeholder), from which groups give missing values, a count of 0 or a flag of false.
using JoinMatches = QVector<JoinMatch>;

// One part of a join's output schema: fields computed for each output record from the left feature
// and its matches, or (a filter) a narrowing of the matches before any field is computed.
class JoinFieldGroup {
public:
    virtual ~JoinFieldGroup() = default;

    // Decides the group's fields and the left and right fields it reads; false with the reason.
    virtual bool setup(const VkSource& left, const VkSource& right, QString* error) = 0;
    const VkFieldList& outputFields() const { return m_fields; }

    virtual bool isFilter() const { return false; }
    // Clears the flags of the candidates that do not qualify; returns whether any flag is still set.
    virtual bool filter(const VkFeature& left, const JoinMatches& candidates, std::vector<char>& flags) const;
    // True when the group gives one output record per match instead of one per left feature.
    virtual bool rowPerMatch() const { return false; }
    // The fields of each side the group reads.
    virtual QList<int> leftFields() const { return {}; }
    virtual QList<int> rightFields() const { return {}; }

    // Appends the group's values for one output record. matches are those left after the filters
    // (empty for the placeholder); row is the match the record stands for when a group gives a
    // record per match, else -1.
    virtual void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                               PVariantVector& out) const = 0;

protected:
    VkFieldList m_fields;
};

using JoinFieldGroupPtr = std::shared_ptr<JoinFieldGroup>;
