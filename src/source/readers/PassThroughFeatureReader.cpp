#include "source/readers/PassThroughFeatureReader.h"

namespace {
class TransformingCursor : public FeatureCursor {
public:
    using Transform = std::function<bool(VkFeatureList&, QString*)>;
    TransformingCursor(FeatureCursorPtr inner, Transform transform)
        : m_inner(std::move(inner)), m_transform(std::move(transform)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        VkFeatureList read;
        if (!m_inner->fill(read, maxCount, error) || !m_transform(read, error))
            return false;
        batch.append(read);
        return true;
    }
    bool atEnd() const override { return m_inner->atEnd(); }
    int percentDone() const override { return m_inner->percentDone(); }

private:
    FeatureCursorPtr m_inner;
    Transform m_transform;
};
} // namespace

PassThroughFeatureReader::PassThroughFeatureReader(VkSourcePtr source, VkFeatureReader* backing)
    : LocalFeatureReader(std::move(source)), m_backing(backing) {
    m_backing->setParent(this);
}

FeatureCursorPtr PassThroughFeatureReader::openCursor(const ReadRequest& request, QString* error) {
    FeatureCursorPtr inner = m_backing->openCursor(backingRequest(request), error);
    if (!inner)
        return nullptr;
    return std::make_unique<TransformingCursor>(
        std::move(inner),
        [this, request](VkFeatureList& batch, QString* err) { return transformBatch(batch, request, err); });
}

bool PassThroughFeatureReader::transformBatch(VkFeatureList&, const ReadRequest&, QString*) {
    return true;
}
