#include "formats/fasta/FastaSourceTypeManager.h"

#include "formats/fasta/FastaReference.h"
#include "source/ReferenceFeatureReader.h"
#include "source/VkSourceTypeRegistry.h"

#include <QFileInfo>

namespace {
[[maybe_unused]] const bool kRegistered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<FastaSourceTypeManager>());
    return true;
}();
} // namespace

QStringList FastaSourceTypeManager::suffixes() const {
    return {QStringLiteral(".fa"),       QStringLiteral(".fa.gz"), QStringLiteral(".fasta"),
            QStringLiteral(".fasta.gz"), QStringLiteral(".fna"),   QStringLiteral(".fna.gz")};
}

bool FastaSourceTypeManager::describe(VkSource& source, QString* error) const {
    QSharedPointer<ReferenceSequence> reference = FastaReference::open(source.path(), error);
    if (!reference)
        return false;
    const QFileInfo file(source.path());
    VkSourceInfo& info = source.info();
    info.name = file.fileName();
    info.folder = file.absolutePath();
    info.size = file.size();
    reference->describe(info);
    info.properties.insert("IndexFile", PVariant(source.path() + QStringLiteral(".fai")));
    source.setResource(reference);
    return true;
}

VkFeatureReader* FastaSourceTypeManager::createFeatureReader(const VkSourcePtr& source) const {
    return new ReferenceFeatureReader(source);
}
