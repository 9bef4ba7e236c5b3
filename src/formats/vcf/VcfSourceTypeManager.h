#pragma once

#include "source/registry/VkSourceTypeManager.h"

// The VCF kind: ".vcf", ".gvcf", ".vcf.gz" and ".gvcf.gz" files (any case), plain, gzip or bgzip
// compressed, read through their tabix index when one lies beside them.
class VcfSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 3;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override;
    // Reads the header: the description's properties, documentation and schema. A missing file
    // gives "%1 does not exist".
    bool describe(VkSource& source, QString* error) const override;
    // "GenomicIndex" is needed until the file has a bgzip copy with a tabix index.
    bool precomputeNeeded(const VkSource& source, const QString& usage, QString* message) const override;
    VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const override;
    VkFieldReader* createFieldReader(const VkSourcePtr& source) const override;
};
