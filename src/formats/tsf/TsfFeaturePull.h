#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

#include <functional>

class VkEventedThread;
class VkWorker;

namespace TsfFeaturePull {

using BatchWriter = std::function<bool(const VkFeatureList& batch, QString* error)>;

// Reads the answer to a request on the reader thread and hands it, batch by batch, to the writer
// on the calling thread, so reading and writing overlap. Stops at the first failure of either
// side, or when the worker is cancelled (false with no error then).
bool pull(const VkSourcePtr& source, const ReadRequest& request, VkEventedThread* readerThread,
          const VkWorker& worker, const BatchWriter& write, QString* error);

// A request for every feature with every field filled.
ReadRequest everything(const VkSourcePtr& source);

} // namespace TsfFeaturePull
