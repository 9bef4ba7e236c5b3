#pragma once

#include "meta/families/BAMCoverageStatsOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

// Adds to each feature of a source (target regions, genes, variants) the read depth over it in one
// or more indexed BAM files: the feature's span, then per BAM file the mean depth and the numbers
// of bases covered at least 1, 100, 200 and 500 times (and at least the target depth, when one is
// set). With several BAM files, each file's fields are named after it.
class BAMCoverageStatsTransform : public SingleSourceTransform<BAMCoverageStatsOptions> {
public:
    using Options = BAMCoverageStatsOptions;
    explicit BAMCoverageStatsTransform(BAMCoverageStatsOptions options)
        : SingleSourceTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("BAMCoverageStatsTransform"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

private:
    // The new fields of one BAM file, named after it when there are several.
    void addBamFields(const QString& path, const QString& name, int targetDepth, VkFieldList* schema) const;

    int m_inputFieldCount = 0;
};
