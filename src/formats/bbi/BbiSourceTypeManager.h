#pragma once

#include "source/registry/VkSourceTypeManager.h"

// bigWig signal tracks ("Data Sequence" features with a Float value) and bigBed interval tracks
// ("Interval" features with the columns their autoSql declares).
class BbiSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 16;

    int typeId() const override { return TypeId; }
    QString typeName() const override { return QStringLiteral("BBI"); }
    QStringList suffixes() const override;
    bool describe(VkSource& source, QString* error) const override;
    VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const override;
};
