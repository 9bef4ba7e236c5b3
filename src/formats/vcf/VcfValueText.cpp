#include "formats/vcf/VcfValueText.h"

#include "source/values/CategoricalVector.h"
#include "source/values/SampleMatrix.h"

#include <charconv>
#include <cmath>

namespace {
void appendInt(QByteArray& line, int32_t value) {
    char text[VcfValueText::IntDigits];
    line.append(text, int(VcfValueText::writeInt(text, value) - text));
}

// Six significant digits, as bcftools writes floats.
void appendReal(QByteArray& line, double value, bool missing) {
    if (missing || std::isnan(value)) {
        line += '.';
        return;
    }
    // printf's "%g" digits, several times faster.
    char text[32];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    line.append(text, int(result.ptr - text));
}

void appendFloat(QByteArray& line, float value) {
    appendReal(line, value, value == PVariant::MissingFloat);
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
