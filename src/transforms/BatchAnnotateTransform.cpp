#include "transforms/BatchAnnotateTransform.h"

#include "transforms/IdentifierJoinTransform.h"
#include "transforms/framework/TransformRegistry.h"

namespace {
[[maybe_unused]] const TransformRegistration<BatchAnnotateRegionTransform> kRegion;
[[maybe_unused]] const TransformRegistration<BatchAnnotateOverlapRegionTransform> kOverlapRegion;
[[maybe_unused]] const TransformRegistration<BatchAnnotateOverlapCNVTransform> kOverlapCnv;
[[maybe_unused]] const TransformRegistration<BatchAnnotateVariantTransform> kVariant;
[[maybe_unused]] const TransformRegistration<BatchAnnotateIDTransform> kId;
} // namespace

// The join's options are read from this transform's: the families share the names of every
// option the join reads.
FnTransformPtr BatchAnnotateTransform::createJoin(QString* error) const {
    return TransformRegistry::instance().createTransform(joinName(), optionsJson(), QStringLiteral("json"),
                                                         error);
}

bool BatchAnnotateTransform::open(QString* error) {
    m_join = createJoin(error);
    if (!m_join || !m_join->setInputs(inputs(), error))
        return false;
    // The output is the join's under this transform's identity.
    const QString url = info().url;
    info() = m_join->outputInfo();
    info().url = url;
    return true;
}

FeatureCursorPtr BatchAnnotateTransform::createFeatureReader(const ReadRequest& request,
                                                             QString* error) const {
    if (!m_join) {
        *error = QStringLiteral("The transform %1 is not open").arg(name());
        return nullptr;
    }
    return m_join->createFeatureReader(request, error);
}

FnTransformPtr BatchAnnotateIDTransform::createJoin(QString*) const {
    return std::make_shared<IdentifierJoinTransform>(Options(options()).clone());
}
