#pragma once

#include "source/PVariant.h"

#include <QByteArray>

// Values in the text of VCF columns: "." for a missing value, lists joined by ",", numbers as
// bcftools prints them.
namespace VcfValueText {
// Appends a locus value (an INFO value, QUAL ...).
void append(QByteArray& line, const PVariant& value);
// Appends one sample's value of a matrix field: an element of a per-sample array, or one
// sample's list of a SampleMatrix.
void appendSample(QByteArray& line, const PVariant& matrix, int sample);
// Appends the elements of a String Array or Categorical Array joined by separator; "." when none.
void appendJoined(QByteArray& line, const PVariant& list, char separator);
} // namespace VcfValueText
