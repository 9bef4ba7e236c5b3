#include "source/values/ValueType.h"

namespace ValueTypes {

namespace {

struct TypeEntry {
    ValueType type;
    const char* name;
    ValueType element;
};

const TypeEntry kTypes[] = {
    {ValueType::Invalid, "Invalid Data", ValueType::Invalid},
    {ValueType::Bool, "Bool", ValueType::Invalid},
    {ValueType::Int, "Int", ValueType::Invalid},
    {ValueType::Int64, "Int64", ValueType::Invalid},
    {ValueType::Float64, "Float64", ValueType::Invalid},
    {ValueType::String, "String", ValueType::Invalid},
    {ValueType::ByteArray, "Byte Array", ValueType::Invalid},
    {ValueType::Float, "Float", ValueType::Invalid},
    {ValueType::Categorical, "Categorical", ValueType::Invalid},
    {ValueType::KeyValuePairs, "Key Value Pairs", ValueType::Invalid},
    {ValueType::IntArray, "Int Array", ValueType::Int},
    {ValueType::FloatArray, "Float Array", ValueType::Float},
    {ValueType::Float64Array, "Float64 Array", ValueType::Float64},
    {ValueType::BoolArray, "Bool Array", ValueType::Bool},
    {ValueType::StringArray, "String Array", ValueType::String},
    {ValueType::CategoricalArray, "Categorical Array", ValueType::Categorical},
    {ValueType::KeyValuePairsArray, "Array of Key Value Pairs", ValueType::KeyValuePairs},
    {ValueType::VectorOfData, "Vector of Data", ValueType::Invalid},
    {ValueType::Character, "Character", ValueType::Invalid},
};

const TypeEntry* find(int code) {
    for (const TypeEntry& entry : kTypes) {
        if (int(entry.type) == code)
            return &entry;
    }
    return nullptr;
}

} // namespace

QString name(int code) {
    const TypeEntry* entry = find(code);
    return entry ? QString::fromLatin1(entry->name) : QString();
}

bool isKnown(int code) {
    return find(code) != nullptr;
}

bool isVector(ValueType type) {
    return (type >= ValueType::IntArray && type <= ValueType::KeyValuePairsArray) ||
           type == ValueType::VectorOfData;
}

ValueType arrayOf(ValueType element) {
    for (const TypeEntry& entry : kTypes) {
        if (entry.element == element && element != ValueType::Invalid)
            return entry.type;
    }
    return ValueType::Invalid;
}

ValueType elementOf(ValueType array) {
    const TypeEntry* entry = find(int(array));
    return entry ? entry->element : ValueType::Invalid;
}

} // namespace ValueTypes
