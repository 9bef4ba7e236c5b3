#include "transforms/AnnotateRegionTransform.h"

#include "transforms/framework/TransformRegistry.h"
#include "transforms/join/JoinFieldGroups.h"

namespace {
[[maybe_unused]] const TransformRegistration<AnnotateRegionTransform> kRegion;
[[maybe_unused]] const TransformRegistration<AnnotateOverlapRegionTransform> kOverlapRegion;
} // namespace

bool AnnotateRegionTransform::validateInputs(QString* error) const {
    if (inputs().size() < 2 || !right()->isValid()) {
        *error = QStringLiteral("The region annotation source is invalid");
        return false;
    }
    return true;
}

bool AnnotateRegionTransform::buildFieldGroups(QString*) {
    const AnnotateRegionOptions options(this->options());
    if (options.matchingFeatureSummary() == MatchingFeaturePresent)
        addGroup(std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Flag));
    else if (options.matchingFeatureSummary() == MatchingFeatureCount)
        addGroup(std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Count));
    const QVector<QString> fields = options.outputFieldList();
    addGroup(std::make_shared<RightHandPassThrough>(QStringList(fields.begin(), fields.end()), true));
    return true;
}

QString AnnotateRegionTransform::defaultOutputName() const {
    return QStringLiteral("Annotate Region with ") + right()->info().name;
}

bool AnnotateOverlapRegionTransform::buildFieldGroups(QString* error) {
    if (!AnnotateRegionTransform::buildFieldGroups(error))
        return false;
    addGroup(std::make_shared<RegionPairFieldGroup>());
    return true;
}
