#pragma once

#include "source/reference/ReferenceSourceTypeManager.h"

// 2bit reference sequences.
class TwoBitSourceTypeManager : public ReferenceSourceTypeManager {
public:
    static constexpr int TypeId = 10;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override { return {QStringLiteral(".2bit")}; }
    bool describe(VkSource& source, QString* error) const override;
};
