#pragma once

#include <QObject>

namespace Vk {
Q_NAMESPACE
// How region queries match features: any overlap, the same start and stop, or lying inside.
enum ReadMode { Overlap = 2, Exact = 3, Within = 4 };
Q_ENUM_NS(ReadMode)
} // namespace Vk
