#pragma once

#include "source/model/VkSegment.h"

// Reads the region text users type, such as "chr1:851549-891052": 1-based inclusive positions,
// thousands separators allowed ("chr1:1,000-2,000"), "chr1:5000" for one base, "chr1" for the
// whole chromosome. Several regions may be separated by commas, blanks or semicolons.
namespace SegmentQuery {

// The stop of a whole-chromosome segment.
constexpr int32_t WholeChromosomeStop = 2147483647;

// The segments of the text, as 0-based half-open intervals; empty with error set on failure.
QList<VkSegment> parse(const QByteArray& text, QString* error = nullptr);

} // namespace SegmentQuery
