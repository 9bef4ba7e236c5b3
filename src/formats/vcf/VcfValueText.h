#pragma once

#include "source/values/PVariant.h"

#include <QByteArray>

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
    char digits[IntDigits];
    char* p = digits + IntDigits;
    uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *--p = '-';
    while (p < digits + IntDigits)
        *out++ = *p++;
    return out;
}
// Appends a locus value (an INFO value, QUAL ...).
void append(QByteArray& line, const PVariant& value);
// Appends one sample's value of a matrix field: an element of a per-sample array, or one
// sample's list of a SampleMatrix.
void appendSample(QByteArray& line, const PVariant& matrix, int sample);
// Appends the elements of a String Array or Categorical Array joined by separator; "." when none.
void appendJoined(QByteArray& line, const PVariant& list, char separator);
} // namespace VcfValueText
