#pragma once

#include "meta/families/AlignOptions.h"
#include "transforms/AlignReader.h"
#include "transforms/framework/SingleSourceTransform.h"

// Shifts the insertions and deletions of a variant source along the reference to the furthest
// position, left or right, that describes the same haplotypes (FeatureAligner). The reference is
// the one handed over with setReference, else the one of the build "refCoordSysId" names (the
// input's own when empty) that ReferenceLookup finds. Output has the input's schema.
template <class Options, class Reader> class AlignTransform : public SingleSourceTransform<Options> {
public:
    // The reference to align against, in place of looking one up; before the inputs are set.
    void setReference(VkSourcePtr reference) { m_settings.reference = std::move(reference); }

    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
    // Records move and may be emitted twice, so no input row can be read in their place.
    VkFieldReader* createFieldReader() const override { return nullptr; }

protected:
    using SingleSourceTransform<Options>::SingleSourceTransform;

private:
    AlignSettings m_settings;
};

class LeftAlignTransform : public AlignTransform<LeftAlignOptions, LeftAlignReader> {
public:
    using Options = LeftAlignOptions;
    explicit LeftAlignTransform(LeftAlignOptions options) : AlignTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("leftAlign"); }
};

class RightAlignTransform : public AlignTransform<RightAlignOptions, RightAlignReader> {
public:
    using Options = RightAlignOptions;
    explicit RightAlignTransform(RightAlignOptions options) : AlignTransform(std::move(options)) {}
    QString name() const override { return QStringLiteral("rightAlign"); }
};
