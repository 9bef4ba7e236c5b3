#pragma once

#include "formats/track/LineTrackSourceTypeManager.h"

// BED tracks (".bed", ".bed.gz"): feature type "Interval", with the fields the columns of the first
// data line call for. A bgzip file with a tabix index beside it is read by region through the index.
class BedSourceTypeManager : public LineTrackSourceTypeManager {
public:
    static constexpr int TypeId = 7;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override { return {QStringLiteral(".bed.gz"), QStringLiteral(".bed")}; }
    bool describe(VkSource& source, QString* error) const override;
};
