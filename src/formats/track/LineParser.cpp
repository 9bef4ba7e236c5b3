#include "formats/track/LineParser.h"

#include <cstdint>
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

bool LineParser::readPosition(const ByteRange& text, const char* what, int32_t minimum, int32_t* value,
                              QString* reason) {
    if (text.toInt32(value) && *value >= minimum)
        return true;
    if (text.isBeyondInt32())
        *reason = beyondLargestPosition(what, text.text());
    else
        *reason = QStringLiteral("invalid %1 '%2'").arg(QLatin1String(what), text.text());
    return false;
}

QString LineParser::beyondLargestPosition(const char* what, const QString& number) {
    return QStringLiteral("%1 %2 is beyond the largest position, %3")
        .arg(QLatin1String(what), number)
        .arg(INT32_MAX);
}
