#include "source/readers/RegionSubsetSource.h"

#include "source/readers/FilteredCursor.h"
#include "source/readers/ReadMode.h"
#include "source/registry/VkResourceData.h"
#include "source/registry/VkSourceTypeManager.h"

#include <QMutex>
#include <QSet>

#include <map>
#include <memory>

namespace {

struct SubsetResource : VkResourceData {
    VkSourcePtr input;
    QList<VkSegment> regions;
};

bool inRegions(const VkSegment& segment, const QList<VkSegment>& regions) {
    for (const VkSegment& region : regions)
        if (Vk::matches(segment, region, Vk::Overlap))
            return true;
    return false;
}

// Every read of the subset is a region read of the input: reads from an offset or by ids count
// the subset's own features, and reads by region keep only what lies in the subset.
FilteredCursor::Predicate subsetPredicate(const ReadRequest& request, const QList<VkSegment>& subset) {
    if (request.kind == ReadRequest::Offset) {
        const qint64 skip = request.offset;
        return [skip](const VkFeature&, qint64 ordinal) {
            return ordinal < skip ? FilteredCursor::Skip : FilteredCursor::Keep;
        };
    }
    if (request.kind == ReadRequest::Ids) {
        const QSet<qint64> ids(request.ids.begin(), request.ids.end());
        return [ids](const VkFeature&, qint64 ordinal) {
            return ids.contains(ordinal) ? FilteredCursor::Keep : FilteredCursor::Skip;
        };
    }
    return [subset](const VkFeature& feature, qint64) {
        return inRegions(feature.segment(), subset) ? FilteredCursor::Keep : FilteredCursor::Skip;
    };
}

ReadRequest inputRequest(const ReadRequest& request, const QList<VkSegment>& subset) {
    if (request.kind != ReadRequest::Offset && request.kind != ReadRequest::Ids)
        return request;
    return ReadRequest::byRegion(subset, request.fieldList, Vk::Overlap);
}

// Subsets present themselves as their input's kind, so there is one manager per input kind,
// kept for the life of the process like the registered ones.
class SubsetSourceTypeManager : public VkSourceTypeManager {
public:
    SubsetSourceTypeManager(int typeId, QString typeName)
        : m_typeId(typeId), m_typeName(std::move(typeName)) {}

    int typeId() const override { return m_typeId; }
    QString typeName() const override { return m_typeName; }
    bool handles(const QString&) const override { return false; }
    bool describe(VkSource&, QString*) const override { return true; }

    FeatureCursorPtr openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                QString* error) const override {
        const SubsetResource* subset = source->resource<SubsetResource>();
        VkSourceTypeManager* manager = subset ? subset->input->manager() : nullptr;
        if (!manager)
            return VkSourceTypeManager::openCursor(source, request, error);
        FeatureCursorPtr input =
            manager->openCursor(subset->input, inputRequest(request, subset->regions), error);
        if (!input)
            return nullptr;
        return std::make_unique<FilteredCursor>(std::move(input), subsetPredicate(request, subset->regions));
    }

    static VkSourceTypeManager* forInput(const VkSource& input) {
        static QMutex mutex;
        static std::map<int, std::unique_ptr<SubsetSourceTypeManager>> managers;
        QMutexLocker locker(&mutex);
        std::unique_ptr<SubsetSourceTypeManager>& manager = managers[input.typeId()];
        if (!manager)
            manager = std::make_unique<SubsetSourceTypeManager>(input.typeId(), input.typeName());
        return manager.get();
    }

private:
    int m_typeId;
    QString m_typeName;
};

} // namespace

namespace RegionSubsetSource {

VkSourcePtr create(const VkSourcePtr& input, const QList<VkSegment>& regions) {
    VkSourcePtr subset(new VkSource(input->path()));
    subset->setManager(SubsetSourceTypeManager::forInput(*input));
    subset->setErrorText(input->errorText());
    subset->info() = input->info();
    subset->info().locusCount = -1;
    auto resource = QSharedPointer<SubsetResource>::create();
    resource->input = input;
    resource->regions = regions;
    subset->setResource(resource);
    return subset;
}

} // namespace RegionSubsetSource
