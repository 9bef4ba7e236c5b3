#pragma once

#include "formats/track/LineParser.h"
#include "source/model/VkField.h"

// Lines of a 23andMe raw genotype file: "rsid chromosome position genotype", tab-separated, with a
// 1-based position; "#" lines are the header.
class TwentyThreeAndMeParser : public LineParser {
public:
    explicit TwentyThreeAndMeParser(const QList<int>& fields);

    // "rsid" and "genotype"; the chromosome and position are the segment.
    static VkFieldList schema();

    Outcome parse(const char* line, int length, VkFeature& feature, QString* reason) override;
};
