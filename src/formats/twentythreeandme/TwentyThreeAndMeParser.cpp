#include "formats/twentythreeandme/TwentyThreeAndMeParser.h"

namespace {
constexpr int ColumnCount = 4;
}

TwentyThreeAndMeParser::TwentyThreeAndMeParser(const QList<int>& fields) : LineParser(2, fields) {}

VkFieldList TwentyThreeAndMeParser::schema() {
    return {VkField(0, "rsid", "RSID", ValueType::String),
            VkField(1, "genotype", "GENOTYPE", ValueType::String)};
}

LineParser::Outcome TwentyThreeAndMeParser::parse(const char* line, int length, VkFeature& feature,
                                                  QString* reason) {
    if (length == 0 || line[0] == '#')
        return Skip;
    ByteRange columns[ColumnCount];
    const int found = LineSplit::split(line, length, '\t', columns, ColumnCount);
    int32_t position = 0;
    if (found != ColumnCount) {
        *reason = QStringLiteral("expected 4 tab-separated columns, found %1").arg(found);
        return Malformed;
    }
    if (!readPosition(columns[2], "position", 1, &position, reason))
        return Malformed;
    feature.setSegment(VkSegment(intern(columns[1].data, columns[1].size), position - 1, position));
    if (wants(0))
        feature.values()[0] = PVariant(columns[0].bytes());
    if (wants(1))
        feature.values()[1] = PVariant(intern(columns[3].data, columns[3].size));
    return Record;
}
