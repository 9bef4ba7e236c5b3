#include "formats/tsf/TsfFeaturePull.h"

#include "source/readers/VkFeatureStream.h"
#include "tasks/workers/VkWorker.h"

namespace TsfFeaturePull {

bool pull(const VkSourcePtr& source, const ReadRequest& request, VkEventedThread* readerThread,
          const VkWorker& worker, const BatchWriter& write, QString* error) {
    VkFeatureStream stream(source, request, readerThread);
    if (!stream.start()) {
        *error = stream.errorText();
        return false;
    }
    VkFeatureList batch;
    while (stream.next(batch)) {
        if (worker.isCanceled() || !write(batch, error))
            return false;
    }
    *error = stream.errorText();
    return error->isEmpty() && !worker.isCanceled();
}

ReadRequest everything(const VkSourcePtr& source) {
    ReadRequest request;
    for (int i = 0; i < source->schema().size(); ++i)
        request.fieldList.append(i);
    return request;
}

} // namespace TsfFeaturePull
