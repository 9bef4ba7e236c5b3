#pragma once

#include "transforms/MergeInputLayout.h"
#include "transforms/MergeTransform.h"

#include <memory>

struct MergeVariantsPlan;

// Merges variant sources record by record: records of different inputs at one place (same
// chromosome and start, same reference) become one record whose alternates are the union of
// theirs, and the samples of all inputs become the samples of the result. Genotypes and
// per-allele values are laid onto the merged alternates; samples of an input without a record
// there are missing. Record-level fields follow their merge behaviour.
class MergeVariantsTransform : public MergeTransform<MergeVariantsOptions> {
public:
    using Options = MergeVariantsOptions;
    explicit MergeVariantsTransform(MergeVariantsOptions options);
    ~MergeVariantsTransform() override;

    QString name() const override { return QStringLiteral("mergeVariants"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
    VkFieldReader* createFieldReader() const override { return nullptr; }

private:
    bool checkInput(const VkSource& input, QString* error) const;
    // The behaviour of each output field; fields to omit are dropped from the layout.
    QVector<int> decideBehaviors(MergeInputLayout& layout) const;

    std::shared_ptr<const MergeVariantsPlan> m_plan;
};
