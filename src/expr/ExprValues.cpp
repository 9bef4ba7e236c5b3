#include "expr/ExprValues.h"

#include <muparserx/mpMatrix.h>

#include <QLocale>

#include <charconv>
#include <cmath>

namespace ExprValues {

double widen(float value) {
    char text[32];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    double wide = value;
    std::from_chars(text, written.ptr, wide);
    return wide;
}

namespace {

void assignInt(mup::IValue& target, int64_t value, bool missing) {
    target = mup::int_type(missing ? kIntNa : value);
}

void assignFloat(mup::IValue& target, double value, bool missing) {
    target = missing ? kFloatNa : value;
}

void assignSingle(mup::IValue& target, float value) {
    assignFloat(target, widen(value), value == PVariant::MissingFloat);
}

void assignBool(mup::IValue& target, uint8_t value) {
    if (value == PVariant::MissingBool)
        target = kBoolNa;
    else
        target = bool(value);
}

void assignText(mup::IValue& target, const QByteArray& bytes) {
    // Reuses the string the target already holds.
    if (target.GetType() == 's' && target.GetString().size() == size_t(bytes.size()) &&
        target.GetString().compare(0, std::string::npos, bytes.constData(), size_t(bytes.size())) == 0)
        return;
    target = mup::string_type(bytes.constData(), size_t(bytes.size()));
}

// Makes target an array of size elements, keeping the one it holds when the size matches.
void shapeArray(mup::IValue& target, int size) {
    if (target.GetType() == 'm' && target.GetRows() == size && target.GetCols() == 1)
        return;
    target = mup::matrix_type(size, mup::Value(mup::int_type(0)));
}

void assignScalar(mup::IValue& target, const PVariant& value);

// Elements first .. first + count of a typed vector value into an array.
void assignElements(mup::IValue& target, const PVariant& vector, int first, int count) {
    shapeArray(target, count);
    for (int i = 0; i < count; ++i) {
        mup::IValue& element = target.At(i, 0);
        const int at = first + i;
        switch (vector.type()) {
        case ValueType::IntArray:
            assignInt(element, vector.intVector().at(at), vector.intVector().at(at) == PVariant::MissingInt);
            break;
        case ValueType::FloatArray:
            assignSingle(element, vector.floatVector().at(at));
            break;
        case ValueType::Float64Array:
            assignFloat(element, vector.float64Vector().at(at),
                        vector.float64Vector().at(at) == PVariant::MissingFloat64);
            break;
        case ValueType::BoolArray:
            assignBool(element, vector.boolVector().at(at));
            break;
        case ValueType::StringArray:
            assignText(element, vector.stringVector().at(at));
            break;
        case ValueType::CategoricalArray:
            assignText(element, vector.categoricalVector().name(at));
            break;
        default:
            assignScalar(element, vector.at(at));
        }
    }
}

void assignScalar(mup::IValue& target, const PVariant& value) {
    switch (value.type()) {
    case ValueType::Bool:
        assignBool(target, value.boolByte());
        break;
    case ValueType::Int:
        assignInt(target, value.intValue(), value.intValue() == PVariant::MissingInt);
        break;
    case ValueType::Int64:
        assignInt(target, value.int64Value(), value.int64Value() == PVariant::MissingInt64);
        break;
    case ValueType::Float:
        assignSingle(target, value.floatValue());
        break;
    case ValueType::Float64:
        assignFloat(target, value.float64Value(), value.float64Value() == PVariant::MissingFloat64);
        break;
    case ValueType::String:
    case ValueType::ByteArray:
    case ValueType::Categorical:
        assignText(target, value.bytes());
        break;
    case ValueType::Character:
        target = mup::string_type(1, value.charValue());
        break;
    case ValueType::Invalid:
        target = kFloatNa;
        break;
    default:
        assignText(target, value.toText());
    }
}

QByteArray shortest(double value) {
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

bool isMissingNumber(const mup::IValue& value) {
    const char type = value.GetType();
    if (type == 'i')
        return value.GetInteger() == kIntNa;
    return type == 'f' && value.GetFloat() == kFloatNa;
}

void assign(mup::IValue& target, const PVariant& value, ValueType type) {
    if (!value.isValid() && type != ValueType::Invalid)
        assign(target, PVariant::missing(type), ValueType::Invalid);
    else if (value.isSampleMatrix())
        assignElements(target, value.sampleMatrix().values(), 0, value.sampleMatrix().values().size());
    else if (value.isVector())
        assignElements(target, value, 0, value.size());
    else
        assignScalar(target, value);
}

void assignSample(mup::IValue& target, const PVariant& matrix, int sample, ValueType type) {
    if (matrix.isSampleMatrix()) {
        const SampleMatrix& samples = matrix.sampleMatrix();
        if (sample < samples.sampleCount())
            assignElements(target, samples.values(), samples.offset(sample), samples.count(sample));
        else
            shapeArray(target, 0);
        return;
    }
    if (!matrix.isVector() || sample >= matrix.size()) {
        assign(target, PVariant::missing(type), ValueType::Invalid);
        return;
    }
    switch (matrix.type()) {
    case ValueType::IntArray:
        assignInt(target, matrix.intVector().at(sample),
                  matrix.intVector().at(sample) == PVariant::MissingInt);
        break;
    case ValueType::FloatArray:
        assignSingle(target, matrix.floatVector().at(sample));
        break;
    case ValueType::StringArray:
        assignText(target, matrix.stringVector().at(sample));
        break;
    case ValueType::VectorOfData:
        assign(target, matrix.variantVector().at(sample), type);
        break;
    default:
        assignScalar(target, matrix.at(sample));
    }
}

void assignPlaceholder(mup::IValue& target, ValueType type) {
    const ValueType element = ValueTypes::elementOf(type);
    if (element != ValueType::Invalid) {
        shapeArray(target, 1);
        assignPlaceholder(target.At(0, 0), element);
        return;
    }
    switch (type) {
    case ValueType::Bool:
        target = false;
        break;
    case ValueType::Int:
    case ValueType::Int64:
        target = mup::int_type(1);
        break;
    case ValueType::Float:
    case ValueType::Float64:
        target = 1.0;
        break;
    default:
        target = mup::string_type();
    }
}

std::string text(const mup::IValue& value, const std::string& delimiter) {
    switch (value.GetType()) {
    case 'b':
        return value.GetBool() ? "True" : "False";
    case 'i':
        return std::to_string(value.GetInteger());
    case 'f':
        return shortest(value.GetFloat()).toStdString();
    case 's':
        return value.GetString();
    case 'm': {
        const mup::matrix_type& array = value.GetArray();
        std::string joined;
        for (int row = 0; row < array.GetRows(); ++row)
            for (int col = 0; col < array.GetCols(); ++col) {
                if (row + col > 0)
                    joined += delimiter;
                joined += text(array.At(row, col), delimiter);
            }
        return joined;
    }
    default:
        return value.ToString();
    }
}

namespace {

bool toNumber(const mup::IValue& value, double* number) {
    const char type = value.GetType();
    if (type == 'i' || type == 'f')
        *number = value.GetFloat();
    else if (type == 'b')
        *number = value.GetBool() ? 1 : 0;
    else
        return false;
    return true;
}

bool toScalar(const mup::IValue& value, ValueType type, PVariant* out) {
    const bool missing = isMissingNumber(value);
    double number = 0;
    switch (type) {
    case ValueType::Bool:
        if (value.GetType() == 'i' && value.GetInteger() == kBoolNa)
            *out = PVariant::missing(type);
        else if (value.GetType() == 'b')
            *out = PVariant(value.GetBool());
        else if (toNumber(value, &number))
            *out = PVariant(number != 0);
        else
            return false;
        return true;
    case ValueType::Int:
    case ValueType::Int64:
        if (!toNumber(value, &number))
            return false;
        if (missing)
            *out = PVariant::missing(type);
        else if (type == ValueType::Int)
            *out = PVariant(int(std::llround(number)));
        else
            *out = PVariant(qint64(std::llround(number)));
        return true;
    case ValueType::Float:
    case ValueType::Float64:
        if (!toNumber(value, &number))
            return false;
        if (missing)
            *out = PVariant::missing(type);
        else
            *out = type == ValueType::Float ? PVariant(float(number)) : PVariant(number);
        return true;
    default:
        *out = PVariant(QByteArray::fromStdString(text(value)));
        return true;
    }
}

} // namespace

bool toField(const mup::IValue& value, ValueType type, PVariant* out) {
    const ValueType element = ValueTypes::elementOf(type);
    if (element == ValueType::Invalid || element == ValueType::KeyValuePairs)
        return toScalar(value, type, out);
    PVariantVector elements;
    if (value.GetType() == 'm') {
        const mup::matrix_type& array = value.GetArray();
        for (int row = 0; row < array.GetRows(); ++row) {
            PVariant item;
            if (!toScalar(array.At(row, 0), element, &item))
                return false;
            elements << item;
        }
    } else {
        PVariant item;
        if (!toScalar(value, element, &item))
            return false;
        elements << item;
    }
    switch (element) {
    case ValueType::Int: {
        QVector<int32_t> ints;
        for (const PVariant& item : elements)
            ints << item.intValue();
        *out = PVariant(std::move(ints));
        return true;
    }
    case ValueType::Float: {
        QVector<float> floats;
        for (const PVariant& item : elements)
            floats << item.floatValue();
        *out = PVariant(std::move(floats));
        return true;
    }
    case ValueType::String: {
        QVector<QByteArray> texts;
        for (const PVariant& item : elements)
            texts << item.bytes();
        *out = PVariant(std::move(texts));
        return true;
    }
    default:
        return false;
    }
}

} // namespace ExprValues
