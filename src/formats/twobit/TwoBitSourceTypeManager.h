#pragma once

#include "source/registry/VkSourceTypeManager.h"

// 2bit reference sequences.
class TwoBitSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 10;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override { return {QStringLiteral(".2bit")}; }
    bool describe(VkSource& source, QString* error) const override;
    VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const override;
};
