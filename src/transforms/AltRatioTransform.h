#pragma once

#include "meta/families/AltRatioOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

#include <memory>

class AltRatioComputation;

// Adds the variant allele fraction of each alternate allele ("VAF" by default) to a variant
// source, per record or, from sample fields, per sample. The computation is chosen once, when the
// transform opens, from the depth fields the source carries, tried in this order: CLCAD2 allelic
// depths, alternate and reference observations (FAO/FRO, else AO/RO), observed and total depth
// (FAO/FDP, else AO/DP), allelic depths (AD), strand counts (DP4).
//
// The new field is a Float for one value per record, a Float Array for one value per alternate,
// and a matrix field of either when the depths are sample fields. Every division is in single
// precision; a value whose counts are missing or sum to zero is missing.
class AltRatioTransform : public SingleSourceTransform<AltRatioOptions> {
public:
    using Options = AltRatioOptions;
    explicit AltRatioTransform(AltRatioOptions options);
    ~AltRatioTransform() override;

    QString name() const override { return QStringLiteral("altRatio"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

private:
    std::shared_ptr<const AltRatioComputation> m_computation;
    // Where the new field sits in the output, and how many fields the input has.
    int m_insertAt = -1;
    int m_inputFieldCount = 0;
};
