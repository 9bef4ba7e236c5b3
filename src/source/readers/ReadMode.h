#pragma once

#include <QObject>

class VkSegment;

namespace Vk {
Q_NAMESPACE
// How region queries match features: any overlap, the same start and stop, or lying inside.
enum ReadMode { Overlap = 2, Exact = 3, Within = 4 };
Q_ENUM_NS(ReadMode)

// Whether a feature answers a region query in the given read mode. A zero-length feature (an
// insertion point) overlaps the query that holds its position.
bool matches(const VkSegment& feature, const VkSegment& query, int readMode);
} // namespace Vk
