#pragma once

#include "formats/track/LineTrackSourceTypeManager.h"

// 23andMe raw genotype files: ".txt" files whose "#" header holds the "# rsid" column line.
// Feature type "Interval", one single-base feature per genotyped position.
class TwentyThreeAndMeSourceTypeManager : public LineTrackSourceTypeManager {
public:
    static constexpr int TypeId = 20;

    int typeId() const override { return TypeId; }
    QString typeName() const override { return QStringLiteral("23andMe"); }
    QStringList suffixes() const override { return {QStringLiteral(".txt")}; }
    bool handles(const QString& path) const override;
    bool describe(VkSource& source, QString* error) const override;
};
