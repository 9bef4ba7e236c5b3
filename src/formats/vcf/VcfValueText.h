#pragma once

#include "source/values/PVariant.h"

#include <QByteArray>

#include <charconv>

// Values in the text of VCF columns: "." for a missing value, lists joined by ",", numbers as
// bcftools prints them.
namespace VcfValueText {
// Longest text of an Int: "-2147483648".
constexpr int IntDigits = 11;
// Writes an Int (or "." for the missing one) at out; returns the end of what was written.
inline char* writeInt(char* out, int32_t value) {
    if (value == PVariant::MissingInt) {
        *out = '.';
        return out + 1;
    }
    // to_chars writes forward: no digit buffer to copy out, which costs a memcpy call per number.
    return std::to_chars(out, out + IntDigits, value).ptr;
}
// Longest text of a number: six significant digits of a double ("-1.17549e-308"), the shortest
// round-trip text of a float ("-1.17549435e-38").
constexpr int RealDigits = 16;
// Writes a number in six significant digits, as printf's "%g" (or "." for a missing one or NaN) at
// out; returns the end of what was written.
char* writeReal(char* out, double value, bool missing);
// A Float in the shortest text that reads back as the same float ("." for a missing one or NaN), so
// that values read from a file are written as they were.
char* writeFloat(char* out, float value);
// Appends a locus value (an INFO value, QUAL ...).
void append(QByteArray& line, const PVariant& value);
// Appends one sample's value of a matrix field: an element of a per-sample array, or one
// sample's list of a SampleMatrix.
void appendSample(QByteArray& line, const PVariant& matrix, int sample);
// Appends the elements of a String Array or Categorical Array joined by separator; "." when none.
void appendJoined(QByteArray& line, const PVariant& list, char separator);
} // namespace VcfValueText
