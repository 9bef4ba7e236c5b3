#pragma once

#include "source/registry/VkSourceTypeManager.h"
#include "transforms/framework/FnTransform.h"

// The source kind of transforms: "transform://" URLs and ".txsource" bundle files. Opening one
// builds the transform, opens its inputs through the source registry (so an input may itself be
// a transform) and describes the output; reads go to the transform's readers.
class FnTransformSourceTypeManager : public VkSourceTypeManager {
public:
    static constexpr int TypeId = 11;

    int typeId() const override { return TypeId; }
    QString typeName() const override { return QStringLiteral("Transform"); }
    bool handles(const QString& path) const override;
    bool describe(VkSource& source, QString* error) const override;
    FeatureCursorPtr openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                QString* error) const override;
    VkFieldReader* createFieldReader(const VkSourcePtr& source) const override;

    // The transform behind a transform source; null for other sources.
    static FnTransformPtr transformOf(const VkSource& source);
    // A source for a transform whose inputs are set (a nested bundle input).
    static VkSourcePtr sourceFor(const FnTransformPtr& transform);
    // Opens the inputs named by the transform's URLs and hands them over.
    static bool openInputs(FnTransform& transform, QString* error);
};
