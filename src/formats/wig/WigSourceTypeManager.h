#pragma once

#include "formats/track/LineTrackSourceTypeManager.h"

// wig signal tracks (".wig", ".wigFix" and their ".gz"): feature type "Data Sequence", one feature
// per data point. Region reads use the in-memory index, as wig lines cannot be tabix-indexed.
class WigSourceTypeManager : public LineTrackSourceTypeManager {
public:
    static constexpr int TypeId = 14;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override {
        return {QStringLiteral(".wig"), QStringLiteral(".wig.gz"), QStringLiteral(".wigFix"),
                QStringLiteral(".wigFix.gz")};
    }
    bool describe(VkSource& source, QString* error) const override;
};
