#pragma once

#include "transforms/join/LeftJoinTransform.h"

// Annotates the features of a source with the regions of another that they overlap, lie within or
// equal (one record per matching region), and optionally a count or flag of the matches.
class AnnotateRegionTransform : public LeftJoinTransform {
public:
    using Options = AnnotateRegionOptions;
    explicit AnnotateRegionTransform(AnnotateRegionOptions options) : LeftJoinTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("annotateRegion"); }

protected:
    bool buildFieldGroups(QString* error) override;
    bool validateInputs(QString* error) const override;
    QString defaultOutputName() const override;
};

// The region annotation with, for each matching region, its place, span and similarity to the
// annotated feature.
class AnnotateOverlapRegionTransform : public AnnotateRegionTransform {
public:
    using Options = AnnotateOverlapRegionOptions;
    explicit AnnotateOverlapRegionTransform(AnnotateOverlapRegionOptions options)
        : AnnotateRegionTransform(AnnotateRegionOptions(options)) {}

    QString name() const override { return QStringLiteral("annotateOverlapRegion"); }

protected:
    bool buildFieldGroups(QString* error) override;
};
