#pragma once

#include "source/registry/LocalSourceTypeManager.h"

// bigWig signal tracks ("Data Sequence" features with a Float value) and bigBed interval tracks
// ("Interval" features with the columns their autoSql declares).
class BbiSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 16;

    int typeId() const override { return TypeId; }
    QString typeName() const override { return QStringLiteral("BBI"); }
    QStringList suffixes() const override;
    bool describe(VkSource& source, QString* error) const override;

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;
};
