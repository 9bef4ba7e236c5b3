#include "formats/vcf/VcfValueText.h"

#include "source/values/CategoricalVector.h"
#include "source/values/SampleMatrix.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {
void appendInt(QByteArray& line, int32_t value) {
    char text[VcfValueText::IntDigits];
    line.append(text, int(VcfValueText::writeInt(text, value) - text));
}

void appendReal(QByteArray& line, double value, bool missing) {
    char text[VcfValueText::RealDigits];
    line.append(text, int(VcfValueText::writeReal(text, value, missing) - text));
}

void appendFloat(QByteArray& line, float value) {
    char text[VcfValueText::RealDigits];
    line.append(text, int(VcfValueText::writeFloat(text, value) - text));
}

void appendFloat64(QByteArray& line, double value) {
    appendReal(line, value, value == PVariant::MissingFloat64);
}

void appendBytes(QByteArray& line, const QByteArray& bytes) {
    if (bytes.isEmpty())
        line += '.';
    else
        line += bytes;
}

void appendBool(QByteArray& line, uint8_t value) {
    if (value == PVariant::MissingBool)
        line += '.';
    else
        line += value ? "True" : "False";
}

// Elements [begin, end) of a typed array, joined by ","; "." when there are none.
void appendElements(QByteArray& line, const PVariant& array, int begin, int end) {
    if (begin >= end) {
        line += '.';
        return;
    }
    for (int i = begin; i < end; ++i) {
        if (i > begin)
            line += ',';
        switch (array.type()) {
        case ValueType::IntArray:
            appendInt(line, array.intVector().at(i));
            break;
        case ValueType::FloatArray:
            appendFloat(line, array.floatVector().at(i));
            break;
        case ValueType::Float64Array:
            appendFloat64(line, array.float64Vector().at(i));
            break;
        case ValueType::BoolArray:
            appendBool(line, array.boolVector().at(i));
            break;
        case ValueType::StringArray:
            appendBytes(line, array.stringVector().at(i));
            break;
        case ValueType::CategoricalArray:
            appendBytes(line, array.categoricalVector().name(i));
            break;
        default:
            VcfValueText::append(line, array.at(i));
            break;
        }
    }
}
} // namespace

namespace VcfValueText {

// Six significant digits, as bcftools writes floats; to_chars gives printf's "%g" digits several
// times faster.
char* writeReal(char* out, double value, bool missing) {
    if (missing || std::isnan(value)) {
        *out = '.';
        return out + 1;
    }
    return std::to_chars(out, out + RealDigits, value, std::chars_format::general, 6).ptr;
}

namespace {
// The shortest text that reads back as the same float: "60811.37" stays 60811.37 where six
// significant digits would make it 60811.4.
char* formatFloat(char* out, float value) {
    if (value == PVariant::MissingFloat || std::isnan(value)) {
        *out = '.';
        return out + 1;
    }
    return std::to_chars(out, out + RealDigits, value).ptr;
}

// The texts of recently written floats by bit pattern. Per-sample fractions and qualities repeat a
// few thousand values over and over; a hit is one multiply and a fixed-size copy (every caller
// has room for RealDigits bytes).
struct FloatTextCache {
    static constexpr int Bits = 12;
    struct Entry {
        uint32_t bits = 0;
        uint8_t size = 0; // 0: empty
        char text[RealDigits];
    };
    Entry entries[1 << Bits];
};
} // namespace

char* writeFloat(char* out, float value) {
    thread_local FloatTextCache cache;
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    FloatTextCache::Entry& entry = cache.entries[(bits * 2654435761u) >> (32 - FloatTextCache::Bits)];
    if (entry.size == 0 || entry.bits != bits) {
        entry.size = uint8_t(formatFloat(entry.text, value) - entry.text);
        entry.bits = bits;
    }
    std::memcpy(out, entry.text, RealDigits);
    return out + entry.size;
}

void append(QByteArray& line, const PVariant& value) {
    switch (value.type()) {
    case ValueType::Int:
        appendInt(line, value.intValue());
        break;
    case ValueType::Int64:
        if (value.int64Value() == PVariant::MissingInt64)
            line += '.';
        else
            line += QByteArray::number(qlonglong(value.int64Value()));
        break;
    case ValueType::Float:
        appendFloat(line, value.floatValue());
        break;
    case ValueType::Float64:
        appendFloat64(line, value.float64Value());
        break;
    case ValueType::Bool:
        appendBool(line, value.boolByte());
        break;
    case ValueType::String:
    case ValueType::ByteArray:
    case ValueType::Categorical:
        appendBytes(line, value.bytes());
        break;
    case ValueType::Character:
        if (value.charValue())
            line += value.charValue();
        else
            line += '.';
        break;
    default:
        if (value.isVector())
            appendElements(line, value, 0, value.size());
        else
            line += '.';
        break;
    }
}

void appendSample(QByteArray& line, const PVariant& matrix, int sample) {
    if (matrix.isSampleMatrix()) {
        const SampleMatrix& lists = matrix.sampleMatrix();
        if (sample >= lists.sampleCount()) {
            line += '.';
            return;
        }
        appendElements(line, lists.values(), lists.offset(sample),
                       lists.offset(sample) + lists.count(sample));
        return;
    }
    if (!matrix.isVector() || sample >= matrix.size()) {
        line += '.';
        return;
    }
    appendElements(line, matrix, sample, sample + 1);
}

void appendJoined(QByteArray& line, const PVariant& list, char separator) {
    const int count = list.isVector() ? list.size() : 0;
    if (count == 0) {
        append(line, list);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (i)
            line += separator;
        if (list.type() == ValueType::StringArray)
            appendBytes(line, list.stringVector().at(i));
        else if (list.type() == ValueType::CategoricalArray)
            appendBytes(line, list.categoricalVector().name(i));
        else
            append(line, list.at(i));
    }
}
} // namespace VcfValueText
