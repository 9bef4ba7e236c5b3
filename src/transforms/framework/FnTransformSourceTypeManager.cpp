#include "transforms/framework/FnTransformSourceTypeManager.h"

#include "source/registry/VkResourceData.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "transforms/framework/TransformBundle.h"
#include "transforms/framework/TransformRegistry.h"
#include "transforms/framework/TransformUrl.h"

namespace {

[[maybe_unused]] const bool kRegistered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<FnTransformSourceTypeManager>());
    return true;
}();

struct TransformResource : VkResourceData {
    FnTransformPtr transform;
};

// A bundle or URL that names itself among its inputs would recurse for ever.
constexpr int kMaxNesting = 64;
thread_local int t_nesting = 0;

struct NestingGuard {
    NestingGuard() { ++t_nesting; }
    ~NestingGuard() { --t_nesting; }
    bool tooDeep() const { return t_nesting > kMaxNesting; }
};

FnTransformPtr transformFromUrl(const QString& url, QString* error) {
    TransformUrl::Parsed parsed;
    if (!TransformUrl::parse(url, &parsed, error))
        return nullptr;
    return TransformRegistry::instance().createTransform(parsed.name, parsed.optionsJson, parsed.encoding, error);
}

void describeOutput(VkSource& source, const FnTransformPtr& transform) {
    source.info() = transform->outputInfo();
    // What the transform reads, so that no writer replaces it.
    QStringList read;
    for (const VkSourcePtr& input : transform->inputs())
        read += input->inputPaths();
    source.setInputPaths(read);
    auto resource = QSharedPointer<TransformResource>::create();
    resource->transform = transform;
    source.setResource(resource);
}

} // namespace

bool FnTransformSourceTypeManager::handles(const QString& path) const {
    return TransformUrl::isTransformUrl(path) || path.endsWith(QLatin1String(".txsource"), Qt::CaseInsensitive);
}

bool FnTransformSourceTypeManager::describe(VkSource& source, QString* error) const {
    const NestingGuard guard;
    if (guard.tooDeep()) {
        *error = QStringLiteral("Transform inputs nest more than %1 levels deep: does a transform name itself "
                                "as an input?")
                     .arg(kMaxNesting);
        return false;
    }
    FnTransformPtr transform;
    if (TransformUrl::isTransformUrl(source.path())) {
        transform = transformFromUrl(source.path(), error);
        if (!transform || !openInputs(*transform, error))
            return false;
    } else {
        transform = TransformBundle::unpack(source.path(), error);
        if (!transform)
            return false;
    }
    describeOutput(source, transform);
    if (!TransformUrl::isTransformUrl(source.path()))
        source.setInputPaths(source.inputPaths() << source.path());
    return true;
}

bool FnTransformSourceTypeManager::openInputs(FnTransform& transform, QString* error) {
    if (!transform.isAvailable())
        return transform.open(error);
    QList<VkSourcePtr> inputs;
    for (const QString& url : transform.inputUrls()) {
        VkSourcePtr input = VkSourceTypeRegistry::instance().open(url);
        if (!input->isValid()) {
            *error = QStringLiteral("Input %1 of transform %2 is not valid: %3")
                         .arg(url, transform.name(), input->errorText());
            return false;
        }
        inputs << input;
    }
    return transform.setInputs(inputs, error);
}

FnTransformPtr FnTransformSourceTypeManager::transformOf(const VkSource& source) {
    const auto* resource = source.resource<TransformResource>();
    return resource ? resource->transform : nullptr;
}

VkSourcePtr FnTransformSourceTypeManager::sourceFor(const FnTransformPtr& transform) {
    VkSourcePtr source(new VkSource(transform->url()));
    source->setManager(VkSourceTypeRegistry::instance().managerForTypeId(TypeId));
    describeOutput(*source, transform);
    return source;
}

FeatureCursorPtr FnTransformSourceTypeManager::openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                                          QString* error) const {
    const FnTransformPtr transform = transformOf(*source);
    if (!transform) {
        *error = QStringLiteral("Transform source %1 is not open").arg(source->path());
        return nullptr;
    }
    return transform->createFeatureReader(request, error);
}

VkFieldReader* FnTransformSourceTypeManager::createFieldReader(const VkSourcePtr& source) const {
    const FnTransformPtr transform = transformOf(*source);
    return transform ? transform->createFieldReader() : nullptr;
}
