#pragma once

#include "formats/track/LineTrackSourceTypeManager.h"

// GTF annotations (".gtf", ".gtf.gz"): feature type "Interval". The attribute keys that become
// fields are those used in the first AttributeScanLines lines, in order of first use.
class GtfSourceTypeManager : public LineTrackSourceTypeManager {
public:
    static constexpr int TypeId = 13;
    static constexpr int AttributeScanLines = 100000;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override { return {QStringLiteral(".gtf"), QStringLiteral(".gtf.gz")}; }
    bool describe(VkSource& source, QString* error) const override;
};
