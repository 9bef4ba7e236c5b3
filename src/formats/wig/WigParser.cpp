#include "formats/wig/WigParser.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int MaxWords = 8;

QString invalid(const char* what, const ByteRange& text) {
    return QStringLiteral("invalid %1 '%2'").arg(QLatin1String(what), text.text());
}

bool isWord(const ByteRange& first, const char* word) {
    return first.equals(word);
}
} // namespace

WigParser::WigParser(const QList<int>& fields) : LineParser(1, fields) {}

VkFieldList WigParser::schema() {
    return {VkField(0, "Value", "VALUE", ValueType::Float)};
}

LineParser::Outcome WigParser::parse(const char* line, int length, VkFeature& feature, QString* reason) {
    if (isHeaderLine(line, length))
        return Skip;
    ByteRange words[MaxWords];
    const int count = LineSplit::splitBlanks(line, length, words, MaxWords);
    if (isWord(words[0], "variableStep") || isWord(words[0], "fixedStep")) {
        const Step step = isWord(words[0], "fixedStep") ? Step::Fixed : Step::Variable;
        return declare(step, words, std::min(count, MaxWords), reason) ? Skip : Malformed;
    }
    return readData(words, count, feature, reason);
}

bool WigParser::declare(Step step, const ByteRange* words, int count, QString* reason) {
    QByteArray chromosome;
    int32_t start = -1;
    int32_t stepSize = 1;
    int32_t span = 1;
    for (int i = 1; i < count; ++i) {
        const char* equals = static_cast<const char*>(std::memchr(words[i].data, '=', size_t(words[i].size)));
        if (!equals) {
            *reason = invalid("declaration setting", words[i]);
            return false;
        }
        const ByteRange key{words[i].data, int(equals - words[i].data)};
        const ByteRange value{equals + 1, int(words[i].data + words[i].size - equals - 1)};
        int32_t* number = key.equals("start")  ? &start
                          : key.equals("step") ? &stepSize
                          : key.equals("span") ? &span
                                               : nullptr;
        if (key.equals("chrom"))
            chromosome = intern(value.data, value.size);
        else if (number && !(value.toInt32(number) && *number >= 1)) {
            *reason = value.isBeyondInt32() ? beyondLargestPosition(key.bytes().constData(), value.text())
                                            : invalid("declaration setting", words[i]);
            return false;
        }
    }
    if (chromosome.isEmpty() || (step == Step::Fixed && start < 1)) {
        *reason = step == Step::Fixed ? QStringLiteral("fixedStep needs chrom= and start=")
                                      : QStringLiteral("variableStep needs chrom=");
        return false;
    }
    m_step = step;
    m_chromosome = chromosome;
    m_next = start;
    m_stepSize = stepSize;
    m_span = span;
    return true;
}

LineParser::Outcome WigParser::readData(const ByteRange* words, int count, VkFeature& feature,
                                        QString* reason) {
    int32_t start = 0;
    int32_t stop = 0;
    if (count == 4) {
        if (!readPosition(words[1], "start", 0, &start, reason) ||
            !readPosition(words[2], "end", INT32_MIN, &stop, reason))
            return Malformed;
        if (stop < start) {
            *reason = invalid("end", words[2]);
            return Malformed;
        }
        feature.setSegment(VkSegment(intern(words[0].data, words[0].size), start, stop));
    } else if (m_step == Step::Variable && count == 2) {
        if (!readPosition(words[0], "position", 1, &start, reason) || !setSpan(start, feature, reason))
            return Malformed;
    } else if (m_step == Step::Fixed && count == 1) {
        if (!setSpan(m_next, feature, reason))
            return Malformed;
        m_next += m_stepSize;
    } else {
        if (m_step == Step::None)
            *reason = QStringLiteral("a data line before any variableStep or fixedStep line");
        else if (m_step == Step::Fixed)
            *reason = QStringLiteral("a fixedStep data line holds one value, found %1 words").arg(count);
        else
            *reason = QStringLiteral("a variableStep data line holds a position and a value, found %1 words")
                          .arg(count);
        return Malformed;
    }
    return readValue(words[count - 1], feature, reason) ? Record : Malformed;
}

// The span from a 1-based position must end within 32-bit positions.
bool WigParser::setSpan(int64_t position, VkFeature& feature, QString* reason) {
    const int64_t stop = position - 1 + m_span;
    if (stop > INT32_MAX) {
        *reason = beyondLargestPosition("end", QString::number(stop));
        return false;
    }
    feature.setSegment(VkSegment(m_chromosome, int32_t(position - 1), int32_t(stop)));
    return true;
}

bool WigParser::readValue(const ByteRange& text, VkFeature& feature, QString* reason) {
    float value = 0;
    if (!text.toFloat(&value)) {
        *reason = invalid("value", text);
        return false;
    }
    if (wants(0))
        feature.values()[0] = PVariant(value);
    return true;
}

bool WigParser::reparse(const char* line, int length, const VkSegment& segment, VkFeature& feature,
                        QString* reason) {
    ByteRange words[MaxWords];
    const int count = LineSplit::splitBlanks(line, length, words, MaxWords);
    feature.setSegment(segment);
    return count > 0 && count <= MaxWords && readValue(words[count - 1], feature, reason);
}
