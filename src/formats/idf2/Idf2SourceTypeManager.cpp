#include "formats/idf2/Idf2SourceTypeManager.h"

#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>

namespace {
[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<Idf2SourceTypeManager>());
    return true;
}();
} // namespace

bool Idf2SourceTypeManager::describe(VkSource& source, QString* error) const {
    if (!QFileInfo(source.path()).isFile())
        *error = QStringLiteral("%1 does not exist").arg(source.path());
    else
        *error =
            QStringLiteral("Unsupported IDF2 layout in %1: the layout of IDF2 files is not published, so "
                           "this build cannot read them; convert the source to TSF with the program that "
                           "wrote it")
                .arg(source.path());
    return false;
}
