#pragma once

#include "source/model/VkField.h"

// The columns a bigBed carries after chrom, chromStart and chromEnd, as schema fields, and the
// reading of their text into values.
namespace BigBedColumns {

// The fields its autoSql declares (name, type and comment); without autoSql, the standard BED
// columns up to fieldCount. Numbers become Int, Int64, Float or Float64, lists of them arrays,
// anything else String.
VkFieldList fields(const QByteArray& autoSql, int fieldCount);

// The value of one column's text; a number that does not read is missing.
PVariant value(ValueType type, const char* text, int size);

} // namespace BigBedColumns
