#include "formats/twobit/TwoBitSourceTypeManager.h"

#include "formats/twobit/TwoBitReference.h"
#include "source/ReferenceFeatureReader.h"
#include "source/VkSourceTypeRegistry.h"

#include <QFileInfo>

namespace {
[[maybe_unused]] const bool kRegistered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<TwoBitSourceTypeManager>());
    return true;
}();
} // namespace

bool TwoBitSourceTypeManager::describe(VkSource& source, QString* error) const {
    QSharedPointer<TwoBitReference> reference = TwoBitReference::open(source.path(), error);
    if (!reference)
        return false;
    const QFileInfo file(source.path());
    VkSourceInfo& info = source.info();
    info.name = file.fileName();
    info.folder = file.absolutePath();
    info.size = file.size();
    reference->describe(info);
    source.setResource(reference);
    return true;
}

VkFeatureReader* TwoBitSourceTypeManager::createFeatureReader(const VkSourcePtr& source) const {
    return new ReferenceFeatureReader(source);
}
