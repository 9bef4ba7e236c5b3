#pragma once

#include "source/registry/VkSourceTypeManager.h"

// Structured JSON tracks (".cvl-json", ".gene-pref"), read whole into memory: feature type
// "Interval", with the fields their feature objects carry (see JsonTrack).
class JsonSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 21;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override {
        return {QStringLiteral(".cvl-json"), QStringLiteral(".gene-pref")};
    }
    bool describe(VkSource& source, QString* error) const override;
    VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const override;
};
