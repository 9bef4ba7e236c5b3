#pragma once

#include "meta/families/AllelicPrimitivesOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

#include <memory>

struct AllelicPrimitivesLayout;

// Splits each variant record whose reference/alternate pair holds several sites of change into
// one record per site: substitutions (of one base, or of several adjacent ones with "useMNPs"),
// insertions and deletions, found by aligning every alternate against the reference. Records that
// cannot be split (no alternates, longer than "maxLength", a plain substitution, symbolic alleles)
// pass unchanged. Genotypes are rewritten for each new record; the other record-level and sample
// fields are copied ("keepInfo", "keepGeno") or dropped.
class AllelicPrimitivesTransform : public SingleSourceTransform<AllelicPrimitivesOptions> {
public:
    using Options = AllelicPrimitivesOptions;
    explicit AllelicPrimitivesTransform(AllelicPrimitivesOptions options);
    ~AllelicPrimitivesTransform() override;

    QString name() const override { return QStringLiteral("alleleicPrimitives"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
    // The output's records are not the input's, so no input row can be read in their place.
    VkFieldReader* createFieldReader() const override { return nullptr; }

private:
    std::shared_ptr<const AllelicPrimitivesLayout> m_layout;
};
