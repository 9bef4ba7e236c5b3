#include "transforms/AnnotateVariantTransform.h"

#include "transforms/framework/TransformRegistry.h"
#include "transforms/join/AllelicMatchFilter.h"
#include "transforms/join/JoinFieldGroups.h"

namespace {
[[maybe_unused]] const TransformRegistration<AnnotateVariantTransform> kVariant;
} // namespace

bool AnnotateVariantTransform::buildFieldGroups(QString*) {
    const AnnotateVariantOptions options(this->options());
    const bool oneToOne = options.annotationMode() == OneToOneAnnotation;
    addGroup(std::make_shared<AllelicMatchFilter>(AllelicMatchMode(options.allelicMatchMode()), oneToOne));
    if (!options.featureCounterFieldName().isEmpty())
        addGroup(std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Count,
                                                           options.featureCounterFieldName()));
    if (!options.featureFlagFieldName().isEmpty())
        addGroup(std::make_shared<RightHandFeatureCounter>(RightHandFeatureCounter::Flag,
                                                           options.featureFlagFieldName()));
    const VkFieldList& rightSchema = right()->schema();
    for (const QString& symbol : options.uniquifyFieldSymbols()) {
        const int idx = JoinFields::find(rightSchema, symbol);
        if (idx >= 0)
            addGroup(std::make_shared<UniqFieldValue>(
                QStringList{symbol}, QStringList{QString::fromUtf8(rightSchema.at(idx).name) + " (Unique)"}));
    }
    const QVector<QString> fields = options.outputFieldList();
    const QStringList names(fields.begin(), fields.end());
    if (oneToOne)
        addGroup(std::make_shared<RightHandSingleMatchPassThrough>(names));
    else
        addGroup(std::make_shared<RightHandPassThrough>(names, true));
    return true;
}

QString AnnotateVariantTransform::defaultOutputName() const {
    return QStringLiteral("Annotate Variant with ") + right()->info().name;
}
