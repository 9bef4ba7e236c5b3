#include "formats/fasta/FastaSourceTypeManager.h"

#include "formats/fasta/FastaReference.h"
#include "source/registry/VkSourceTypeRegistry.h"

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
    if (!ReferenceSequence::describeSource(source, FastaReference::open(source.path(), error)))
        return false;
    source.info().properties.insert("IndexFile", PVariant(source.path() + QStringLiteral(".fai")));
    return true;
}
