#include "formats/json/JsonSourceTypeManager.h"

#include "formats/json/JsonFeatureReader.h"
#include "formats/json/JsonTrack.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>

namespace {
[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<JsonSourceTypeManager>());
    return true;
}();
} // namespace

bool JsonSourceTypeManager::describe(VkSource& source, QString* error) const {
    auto track = QSharedPointer<JsonTrack>::create();
    if (!track->load(source.path(), error))
        return false;
    VkSourceInfo& info = source.info();
    const QFileInfo file(source.path());
    info.name = file.fileName();
    info.size = file.size();
    info.locusCount = int32_t(track->features().size());
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Interval);
    info.schema = track->schema();
    source.setResource(track);
    return true;
}

VkFeatureReader* JsonSourceTypeManager::createFeatureReader(const VkSourcePtr& source) const {
    return new JsonFeatureReader(source);
}
