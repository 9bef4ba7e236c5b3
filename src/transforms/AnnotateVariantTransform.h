#pragma once

#include "transforms/join/LeftJoinTransform.h"

// Annotates the variants of a source with the records of another at the same place that carry the
// same alleles: one record per match (one-to-many), or the first match only (one-to-one), with
// optional match counts, flags and distinct values of chosen fields.
class AnnotateVariantTransform : public LeftJoinTransform {
public:
    using Options = AnnotateVariantOptions;
    explicit AnnotateVariantTransform(AnnotateVariantOptions options)
        : LeftJoinTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("annotateVariant"); }
    int minInputCount() const override { return 2; }

protected:
    bool buildFieldGroups(QString* error) override;
    QString defaultOutputName() const override;
};
