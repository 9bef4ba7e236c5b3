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

// Six significant digits of a float from 1e-4 up to 1e6, as printf's "%g" writes them (checked
// against it for every such float); null for other values. The float is mantissa / 2^shift, so
// scaling by a power of ten and rounding half to even is exact in 64 bits.
char* writeRatioRange(char* out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const float magnitude = std::fabs(value);
    if (!(magnitude >= 1e-4f && magnitude < 1e6f))
        return nullptr;
    static constexpr uint64_t kPowers[] = {1,       10,       100,       1000,       10000,         100000,
                                           1000000, 10000000, 100000000, 1000000000, 10000000000ull};
    const int biased = int((bits >> 23) & 0xff);
    const uint64_t mantissa = (bits & 0x7fffff) | 0x800000;
    const int shift = 150 - biased;
    // The decimal exponent from the binary one, off by one at most; the loop settles it.
    int exponent = ((biased - 127) * 1233) >> 12;
    uint64_t digits = 0;
    for (int attempt = 0; attempt < 3 && digits == 0; ++attempt) {
        const int scale = 5 - exponent;
        if (scale < 0 || scale > 10)
            return nullptr;
        const uint64_t scaled = mantissa * kPowers[scale];
        uint64_t whole = scaled >> shift;
        if (whole >= 1000000 || whole < 100000) {
            exponent += whole >= 1000000 ? 1 : -1;
            continue;
        }
        const uint64_t rest = scaled & ((uint64_t(1) << shift) - 1);
        const uint64_t half = uint64_t(1) << (shift - 1);
        if (rest > half || (rest == half && (whole & 1)))
            ++whole;
        if (whole == 1000000) {
            whole = 100000;
            ++exponent;
        }
        digits = whole;
    }
    if (digits == 0 || exponent > 5)
        return nullptr;
    char text[6];
    for (int i = 5; i >= 0; --i, digits /= 10)
        text[i] = char('0' + digits % 10);
    int last = 5;
    while (last > 0 && text[last] == '0')
        --last;
    if (bits >> 31)
        *out++ = '-';
    if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i)
            *out++ = text[i];
        if (last > exponent) {
            *out++ = '.';
            for (int i = exponent + 1; i <= last; ++i)
                *out++ = text[i];
        }
        return out;
    }
    *out++ = '0';
    *out++ = '.';
    for (int i = 0; i < -exponent - 1; ++i)
        *out++ = '0';
    for (int i = 0; i <= last; ++i)
        *out++ = text[i];
    return out;
}

} // namespace

namespace {
char* formatFloat(char* out, float value) {
    if (value == 0.0f && !std::signbit(value)) {
        *out = '0';
        return out + 1;
    }
    if (char* end = writeRatioRange(out, value))
        return end;
    return writeReal(out, value, value == PVariant::MissingFloat);
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
