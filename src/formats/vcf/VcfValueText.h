#pragma once

#include "source/values/PVariant.h"

#include <QByteArray>

#include <charconv>
#include <cstring>

// Values in the text of VCF columns: "." for a missing value, lists joined by ",", numbers as
// bcftools prints them.
namespace VcfValueText {
// Longest text of an Int: "-2147483648".
constexpr int IntDigits = 11;

// The texts of 0 to 999, the depths, qualities and likelihoods that make up most sample columns:
// four bytes each (the digits, then their count) so that one fixed-size copy writes any of them.
constexpr int SmallInts = 1000;
struct SmallIntTable {
    char texts[SmallInts][4];
};
constexpr SmallIntTable smallIntTable() {
    SmallIntTable table{};
    for (int value = 0; value < SmallInts; ++value) {
        const int digits = value >= 100 ? 3 : value >= 10 ? 2 : 1;
        for (int i = digits - 1, rest = value; i >= 0; --i, rest /= 10)
            table.texts[value][i] = char('0' + rest % 10);
        table.texts[value][3] = char(digits);
    }
    return table;
}
inline constexpr SmallIntTable SmallIntTexts = smallIntTable();

// Writes an Int (or "." for the missing one) at out, which must have room for IntDigits bytes;
// returns the end of what was written.
inline char* writeInt(char* out, int32_t value) {
    if (static_cast<uint32_t>(value) < uint32_t(SmallInts)) {
        // A copy of constant size and no branch on the digit count, which varies from value to value.
        const char* text = SmallIntTexts.texts[value];
        std::memcpy(out, text, 4);
        return out + text[3];
    }
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
