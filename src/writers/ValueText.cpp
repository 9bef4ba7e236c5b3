#include "writers/ValueText.h"

#include <charconv>

namespace {

void appendInteger(QByteArray& out, int64_t value) {
    char buffer[24];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, int(result.ptr - buffer));
}

// The same formats as PVariant::toText() ("%.6g", "%.15g"), so a value reads the same in every
// output; to_chars gives printf's digits several times faster.
void appendGeneral(QByteArray& out, double value, int precision) {
    char buffer[64];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    out.append(buffer, int(result.ptr - buffer));
}

void appendFloat(QByteArray& out, float value) {
    appendGeneral(out, value, 6);
}

void appendFloat64(QByteArray& out, double value) {
    appendGeneral(out, value, 15);
}

void appendBool(QByteArray& out, uint8_t value, const ValueTextStyle& style) {
    if (value == PVariant::MissingBool)
        out.append(style.missing);
    else
        out.append(value ? "True" : "False");
}

void appendBytes(QByteArray& out, const QByteArray& bytes, const ValueTextStyle& style) {
    out.append(bytes.isEmpty() ? style.missing : bytes);
}

// Element i of an array or of a VectorOfData.
void appendElement(QByteArray& out, const PVariant& vector, int i, const ValueTextStyle& style) {
    switch (vector.type()) {
    case ValueType::IntArray: {
        const int32_t value = vector.intVector().at(i);
        if (value == PVariant::MissingInt)
            out.append(style.missing);
        else
            appendInteger(out, value);
        return;
    }
    case ValueType::FloatArray: {
        const float value = vector.floatVector().at(i);
        if (value == PVariant::MissingFloat)
            out.append(style.missing);
        else
            appendFloat(out, value);
        return;
    }
    case ValueType::Float64Array: {
        const double value = vector.float64Vector().at(i);
        if (value == PVariant::MissingFloat64)
            out.append(style.missing);
        else
            appendFloat64(out, value);
        return;
    }
    case ValueType::BoolArray:
        appendBool(out, vector.boolVector().at(i), style);
        return;
    case ValueType::StringArray:
        appendBytes(out, vector.stringVector().at(i), style);
        return;
    case ValueType::CategoricalArray:
        appendBytes(out, vector.categoricalVector().name(i), style);
        return;
    case ValueType::KeyValuePairsArray:
        out.append(PVariant(vector.mapVector().at(i)).toText());
        return;
    default:
        // Maps and nested values are rare enough to go through a value of their own.
        appendValueText(out, vector.isSampleMatrix() ? vector.at(i) : vector.variantVector().at(i), style);
        return;
    }
}

void appendElements(QByteArray& out, const PVariant& vector, int first, int count,
                    const ValueTextStyle& style) {
    if (count == 0) {
        out.append(style.missing);
        return;
    }
    for (int i = first; i < first + count; ++i) {
        if (i > first)
            out.append(style.listDelimiter);
        appendElement(out, vector, i, style);
    }
}

} // namespace

bool isListValue(const PVariant& value) {
    return value.isVector() || value.type() == ValueType::KeyValuePairs;
}

void appendValueText(QByteArray& out, const PVariant& value, const ValueTextStyle& style) {
    if (value.isMissing()) {
        out.append(style.missing);
        return;
    }
    switch (value.type()) {
    case ValueType::Bool:
        appendBool(out, value.boolByte(), style);
        return;
    case ValueType::Int:
        appendInteger(out, value.intValue());
        return;
    case ValueType::Int64:
        appendInteger(out, value.int64Value());
        return;
    case ValueType::Float:
        appendFloat(out, value.floatValue());
        return;
    case ValueType::Float64:
        appendFloat64(out, value.float64Value());
        return;
    case ValueType::Character:
        out.append(value.charValue());
        return;
    case ValueType::String:
    case ValueType::Categorical:
        out.append(value.bytes());
        return;
    default:
        if (value.isVector())
            appendElements(out, value, 0, value.size(), style);
        else
            out.append(value.toText());
        return;
    }
}

void appendSampleText(QByteArray& out, const PVariant& matrix, int sample, const ValueTextStyle& style) {
    if (sample < 0 || sample >= matrix.size()) {
        out.append(style.missing);
        return;
    }
    if (matrix.isSampleMatrix()) {
        const SampleMatrix& samples = matrix.sampleMatrix();
        appendElements(out, samples.values(), samples.offset(sample), samples.count(sample), style);
        return;
    }
    appendElement(out, matrix, sample, style);
}
