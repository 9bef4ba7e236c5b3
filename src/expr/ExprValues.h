#pragma once

#include "source/values/PVariant.h"

#include <muparserx/mpValue.h>

// How field values cross into the expression parser and back.
//
// Every field reaches the parser with its type: Bool as a boolean, Int and Int64 as integers, Float
// and Float64 as floats, texts and categories as strings, lists as arrays. Missing numbers become
// the values of the INT_NA and FLOAT_NA constants and a missing Bool that of BOOL_NA, so an
// expression can test for them with "==". Values are assigned into the parser's value objects in
// place, so a string or an array of the same size reuses what the previous record left.
namespace ExprValues {

// The values the missing-value constants stand for.
inline constexpr mup::int_type kIntNa = PVariant::MissingInt;
inline constexpr mup::float_type kFloatNa = PVariant::MissingFloat;
inline constexpr mup::int_type kBoolNa = PVariant::MissingBool;

// True for a number that stands for a missing value.
bool isMissingNumber(const mup::IValue& value);

// A locus value of a field of type: a scalar, or an array (a list per sample is flattened into one
// array). A field without a value reads as the missing value of its type.
void assign(mup::IValue& target, const PVariant& value, ValueType type);
// One sample's value of a matrix field whose per-sample values have type.
void assignSample(mup::IValue& target, const PVariant& matrix, int sample, ValueType type);

// A single-precision value as the double of its shortest decimal text, so that a Float read from
// "0.3" equals the literal 0.3 as it does in the file.
double widen(float value);
// The placeholder a field of this type holds while an expression is checked before any record.
void assignPlaceholder(mup::IValue& target, ValueType type);

// The text of a value: Bool as "True" or "False", numbers in their shortest form, arrays joined by
// the delimiter.
std::string text(const mup::IValue& value, const std::string& delimiter = ",");

// A parser value as a field value of the given type; false when it cannot be one.
bool toField(const mup::IValue& value, ValueType type, PVariant* out);

} // namespace ExprValues
