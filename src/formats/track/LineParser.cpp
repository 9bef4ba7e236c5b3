#include "formats/track/LineParser.h"

#include <cstring>

namespace {
bool startsWord(const char* line, int length, const char* word) {
    const int n = int(std::strlen(word));
    return length >= n && std::memcmp(line, word, size_t(n)) == 0 &&
           (length == n || line[n] == ' ' || line[n] == '\t');
}
} // namespace

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

bool LineParser::isHeaderLine(const char* line, int length) {
    return ByteRange{line, length}.trimmed().isEmpty() || line[0] == '#' ||
           startsWord(line, length, "track") || startsWord(line, length, "browser");
}
