#pragma once

#include "source/reference/ReferenceSourceTypeManager.h"

// FASTA reference sequences, plain or bgzip-compressed, read through their faidx index.
class FastaSourceTypeManager : public ReferenceSourceTypeManager {
public:
    static constexpr int TypeId = 12;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override;
    bool describe(VkSource& source, QString* error) const override;
};
