#pragma once

#include <QString>
#include <cstdint>

// Type codes of field and value types. The codes 1..38 coincide with Qt's meta-type ids
// for bool, int, qint64, double, QString, QByteArray and float, so they can be compared directly.
enum class ValueType : uint16_t {
    Invalid = 0,
    Bool = 1,
    Int = 2,
    Int64 = 4,
    Float64 = 6,
    String = 10,
    ByteArray = 12,
    Float = 38,
    Categorical = 400,
    KeyValuePairs = 401,
    IntArray = 500,
    FloatArray = 501,
    Float64Array = 502,
    BoolArray = 503,
    StringArray = 504,
    CategoricalArray = 505,
    KeyValuePairsArray = 506,
    VectorOfData = 600,
    Character = 800
};

namespace ValueTypes {

// The printed name of a type code ("Int", "Float Array" ...); empty for a code that has none.
QString name(int code);
inline QString name(ValueType type) {
    return name(int(type));
}

bool isKnown(int code);

// True for 500..506 and 600: values that hold a sequence of elements.
bool isVector(ValueType type);

// Int -> IntArray, Float -> FloatArray ...; Invalid when the type has no array form.
ValueType arrayOf(ValueType element);

// IntArray -> Int ...; Invalid for a type that is not an array of one element type.
ValueType elementOf(ValueType array);

} // namespace ValueTypes
