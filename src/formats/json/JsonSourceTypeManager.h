#pragma once

#include "source/registry/LocalSourceTypeManager.h"

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

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;
};
