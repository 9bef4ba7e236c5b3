#pragma once

#include "source/registry/VkSourceTypeManager.h"

// FASTA reference sequences, plain or bgzip-compressed, read through their faidx index.
class FastaSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 12;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override;
    bool describe(VkSource& source, QString* error) const override;
    VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const override;
};
