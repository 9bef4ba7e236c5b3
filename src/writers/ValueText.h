#pragma once

#include "source/values/PVariant.h"

#include <QByteArray>

// Plain text of values for the writers, appended to a buffer the caller reuses, so writing a row
// allocates nothing per value. Scalars read as PVariant::toText() writes them; the elements of a
// list are joined by the list delimiter; a missing value, or a missing element of a list, is written
// as the missing text.
struct ValueTextStyle {
    QByteArray listDelimiter = QByteArrayLiteral(",");
    QByteArray missing;
};

void appendValueText(QByteArray& out, const PVariant& value, const ValueTextStyle& style);

// One sample's value of a matrix field: an element of a per-sample array, or a sample's list of a
// SampleMatrix.
void appendSampleText(QByteArray& out, const PVariant& matrix, int sample, const ValueTextStyle& style);

// Whether a value is written as a list of elements rather than one scalar.
bool isListValue(const PVariant& value);
