#pragma once

#include "meta/families/BatchAnnotateOptions.h"
#include "transforms/framework/FnTransform.h"

// Base of the batch annotations: the records of a per-feature join, read with the annotation
// source asked for many input features at a time. The join readers already read the input in
// batches and sweep a sorted annotation source once (asking an unsorted one by region), so a
// batch annotation opens the per-feature join on its own inputs and options and reads through it;
// only the identifier join (BatchAnnotateIDTransform) has no per-feature form.
class BatchAnnotateTransform : public FnTransform {
public:
    int minInputCount() const override { return 2; }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

protected:
    explicit BatchAnnotateTransform(VkOptionsValue options) : FnTransform(std::move(options)) {}

    // The join whose records this transform gives, not yet given its inputs. By default the
    // transform registered as joinName(), built from this transform's options.
    virtual FnTransformPtr createJoin(QString* error) const;
    virtual QString joinName() const = 0;

private:
    FnTransformPtr m_join;
};

// The records of "annotateRegion".
class BatchAnnotateRegionTransform : public BatchAnnotateTransform {
public:
    using Options = BatchAnnotateRegionOptions;
    explicit BatchAnnotateRegionTransform(Options options) : BatchAnnotateTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("batchAnnotateRegion"); }

protected:
    QString joinName() const override { return QStringLiteral("annotateRegion"); }
};

// The records of "annotateOverlapRegion".
class BatchAnnotateOverlapRegionTransform : public BatchAnnotateTransform {
public:
    using Options = BatchAnnotateOverlapRegionOptions;
    explicit BatchAnnotateOverlapRegionTransform(Options options)
        : BatchAnnotateTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("batchAnnotateOverlapRegion"); }

protected:
    QString joinName() const override { return QStringLiteral("annotateOverlapRegion"); }
};

// Copy number variants are intervals: the records of "annotateOverlapRegion" with CNVs on the right.
class BatchAnnotateOverlapCNVTransform : public BatchAnnotateTransform {
public:
    using Options = BatchAnnotateOverlapCNVOptions;
    explicit BatchAnnotateOverlapCNVTransform(Options options) : BatchAnnotateTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("batchAnnotateOverlapCNV"); }

protected:
    QString joinName() const override { return QStringLiteral("annotateOverlapRegion"); }
};

// The records of "annotateVariant".
class BatchAnnotateVariantTransform : public BatchAnnotateTransform {
public:
    using Options = BatchAnnotateVariantOptions;
    explicit BatchAnnotateVariantTransform(Options options) : BatchAnnotateTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("batchAnnotateVariant"); }

protected:
    QString joinName() const override { return QStringLiteral("annotateVariant"); }
};

// Joins on the record identifier instead of the place (IdentifierJoinTransform).
class BatchAnnotateIDTransform : public BatchAnnotateTransform {
public:
    using Options = BatchAnnotateIDOptions;
    explicit BatchAnnotateIDTransform(Options options) : BatchAnnotateTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("batchAnnotateID"); }

protected:
    FnTransformPtr createJoin(QString* error) const override;
    QString joinName() const override { return name(); }
};
