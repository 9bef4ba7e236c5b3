#pragma once

#include "transforms/join/LeftJoinTransform.h"

// Annotates each variant with a vote of the functional predictions of the dbNSFP records at its
// place that carry its alleles (matched as "annotateVariant" matches, closest records first; a
// multi-allelic variant takes the records of each of its alternates): the prediction fields pass
// through, then the damaging and total votes, the damaging fraction and a consensus call
// (AnnotateDbNSFPVotes). One record per variant, with no votes when nothing matched.
class AnnotateDbNSFPTransform : public LeftJoinTransform {
public:
    using Options = AnnotateDbNSFPOptions;
    explicit AnnotateDbNSFPTransform(AnnotateDbNSFPOptions options) : LeftJoinTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("annotateDbNSFP"); }
    int minInputCount() const override { return 2; }

protected:
    bool buildFieldGroups(QString* error) override;
    QString defaultOutputName() const override;
};
