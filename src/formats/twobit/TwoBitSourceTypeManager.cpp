#include "formats/twobit/TwoBitSourceTypeManager.h"

#include "formats/twobit/TwoBitReference.h"
#include "source/registry/VkSourceTypeRegistry.h"

namespace {
[[maybe_unused]] const bool kRegistered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<TwoBitSourceTypeManager>());
    return true;
}();
} // namespace

bool TwoBitSourceTypeManager::describe(VkSource& source, QString* error) const {
    return ReferenceSequence::describeSource(source, TwoBitReference::open(source.path(), error));
}
