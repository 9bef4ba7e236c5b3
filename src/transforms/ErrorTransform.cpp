#include "transforms/ErrorTransform.h"

#include "transforms/framework/TransformRegistry.h"

namespace {
[[maybe_unused]] const TransformRegistration<ErrorTransform> kRegistration;
} // namespace

bool ErrorTransform::open(QString*) {
    info().schema.clear();
    info().locusCount = 0;
    return true;
}

FeatureCursorPtr ErrorTransform::createFeatureReader(const ReadRequest&, QString* error) const {
    *error = typedOptions().errorText();
    if (error->isEmpty())
        *error = QStringLiteral("The error transform reports no text");
    return nullptr;
}
