#include "formats/track/LineParser.h"

LineParser::LineParser(int fieldCount, const QList<int>& fields)
    : m_fieldCount(fieldCount), m_wanted(size_t(fieldCount), false) {
    for (int idx : fields) {
        if (idx >= 0 && idx < fieldCount) {
            m_wanted[size_t(idx)] = true;
            m_wantsAny = true;
        }
    }
}

bool LineParser::reparse(const char* line, int length, const VkSegment&, VkFeature& feature,
                         QString* reason) {
    return parse(line, length, feature, reason) == Record;
}
