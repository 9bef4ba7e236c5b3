#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

#include <QPointer>

#include <memory>

class VkEventedThread;
class VkWorkerRunner;
struct FeatureBatchQueue;

// Pulls the answer to a read request batch by batch, for consumers that run on a worker thread
// of their own (writers): the source is read ahead on another thread, a few batches at most, and
// next() blocks until a batch is there. No event loop is needed on the consumer's side.
class VkFeatureStream {
public:
    // Without a thread the stream makes one of its own.
    VkFeatureStream(VkSourcePtr source, ReadRequest request, VkEventedThread* thread = nullptr);
    ~VkFeatureStream();
    VkFeatureStream(const VkFeatureStream&) = delete;
    VkFeatureStream& operator=(const VkFeatureStream&) = delete;

    // Starts reading; false, with errorText(), when the source cannot be read.
    bool start();
    // The next batch; false at the end of the read, or on an error (then errorText() is set).
    bool next(VkFeatureList& batch);
    QString errorText() const;
    // Stops reading ahead; next() returns false from then on.
    void cancel();

    static constexpr int QueueCapacity = 4;

private:
    VkSourcePtr m_source;
    ReadRequest m_request;
    std::shared_ptr<FeatureBatchQueue> m_queue;
    QPointer<VkEventedThread> m_thread;
    QPointer<VkEventedThread> m_ownThread;
    std::unique_ptr<VkWorkerRunner> m_runner;
    QString m_errorText;
};
