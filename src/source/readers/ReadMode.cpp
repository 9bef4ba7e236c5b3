#include "source/readers/ReadMode.h"

#include "source/model/VkSegment.h"

#include <algorithm>

namespace Vk {

bool matches(const VkSegment& feature, const VkSegment& query, int readMode) {
    if (feature.chromosome() != query.chromosome())
        return false;
    switch (readMode) {
    case Exact:
        return feature.start() == query.start() && feature.stop() == query.stop();
    case Within:
        return feature.start() >= query.start() && feature.stop() <= query.stop();
    default: {
        const int64_t stop = std::max<int64_t>(feature.stop(), int64_t(feature.start()) + 1);
        return feature.start() < query.stop() && query.start() < stop;
    }
    }
}

} // namespace Vk
