#pragma once

#include "transforms/join/JoinFieldGroup.h"

#include <QStringList>

// The vote of a variant's functional predictions: each prediction field of the matching dbNSFP
// records (SIFT_pred, Polyphen2_HDIV_pred, MutationTaster_pred ...) passes through as a list, one
// prediction per transcript and record, and casts one vote, damaging or tolerated; then the votes
// are counted and a consensus is called.
//
// A prediction is a letter, or several separated by ";" (one per transcript); a field's vote is the
// most damaging of its letters over every matching record. D (damaging, deleterious, disease
// causing), P (possibly damaging), A (disease causing, automatic), H and M (high and medium impact)
// are damaging; T (tolerated), B (benign), N (neutral, polymorphism) and L (low impact) are
// tolerated, and so is P in MutationTaster, where it means a polymorphism. Any other value (U
// for unknown, ".", none) does not vote. A longer word counts by its first letter.
class AnnotateDbNSFPVotes : public JoinFieldGroup {
public:
    // The prediction fields by symbol or name; none means every field whose name ends "_pred".
    explicit AnnotateDbNSFPVotes(QStringList predictionFields) : m_names(std::move(predictionFields)) {}

    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    QList<int> rightFields() const override { return m_indexes; }
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;

private:
    QStringList m_names;
    QList<int> m_indexes;
    // Per prediction field, whether it is MutationTaster's.
    QVector<bool> m_mutationTaster;
};
