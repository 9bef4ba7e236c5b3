#include "source/readers/VkFeatureStream.h"

#include "source/readers/VkFeatureReader.h"
#include "source/registry/VkSourceTypeManager.h"
#include "tasks/workers/VkEventedThread.h"
#include "tasks/workers/VkWorkerRunner.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#include <deque>

struct FeatureBatchQueue {
    QMutex mutex;
    QWaitCondition changed;
    std::deque<VkFeatureList> batches;
    bool finished = false;
    bool canceled = false;
    QString error;

    // Blocks while the queue is full; false when the consumer has gone.
    bool push(VkFeatureList batch) {
        QMutexLocker locker(&mutex);
        while (batches.size() >= size_t(VkFeatureStream::QueueCapacity) && !canceled)
            changed.wait(&mutex);
        if (canceled)
            return false;
        batches.push_back(std::move(batch));
        changed.wakeAll();
        return true;
    }
    void finish(const QString& failure) {
        QMutexLocker locker(&mutex);
        finished = true;
        error = failure;
        changed.wakeAll();
    }
    void cancel() {
        QMutexLocker locker(&mutex);
        canceled = true;
        changed.wakeAll();
    }
    bool isCanceled() {
        QMutexLocker locker(&mutex);
        return canceled;
    }

    // Whether the pump still exists: the stream waits for it to be gone before its runner goes.
    bool pumpAlive = false;
    void setPumpAlive(bool alive) {
        QMutexLocker locker(&mutex);
        pumpAlive = alive;
        changed.wakeAll();
    }
    void waitForPumpGone(unsigned long milliseconds) {
        QDeadlineTimer deadline(milliseconds);
        QMutexLocker locker(&mutex);
        while (pumpAlive && changed.wait(&mutex, deadline)) {
        }
    }
};

namespace {
// How long the end of a stream waits for its pump to stop after the cancel: at most one batch is
// being read by then.
constexpr unsigned long kStopWaitMs = 10000;

// Marks the queue while the pump lives. A child of the pump, it goes after the pump's connections
// are gone, so the runner is never torn down at the same time as its worker.
class PumpLife : public QObject {
public:
    PumpLife(QObject* pump, std::shared_ptr<FeatureBatchQueue> queue)
        : QObject(pump), m_queue(std::move(queue)) {
        m_queue->setPumpAlive(true);
    }
    ~PumpLife() override { m_queue->setPumpAlive(false); }

private:
    std::shared_ptr<FeatureBatchQueue> m_queue;
};

// Pulls a source's cursor on the reader thread and feeds the queue.
class FeaturePump : public VkWorker {
    Q_OBJECT
public:
    FeaturePump(VkSourcePtr source, ReadRequest request, std::shared_ptr<FeatureBatchQueue> queue)
        : m_source(std::move(source)), m_request(std::move(request)), m_queue(std::move(queue)) {
        new PumpLife(this, m_queue);
    }

    // The consumer waits on the queue, not on this worker's signals: the failure goes there.
    void failAfterException(const QString& message) override {
        m_queue->finish(QStringLiteral("%1 while reading %2").arg(message, m_source->path()));
        shutdown();
    }

public slots:
    void run() {
        m_queue->finish(pump());
        shutdown();
    }

private:
    QString pump() {
        QString error;
        FeatureCursorPtr cursor = m_source->manager()->openCursor(m_source, m_request, &error);
        if (!cursor)
            return error;
        while (!cursor->atEnd() && !isCanceled() && !m_queue->isCanceled()) {
            VkFeatureList batch;
            batch.reserve(VkFeatureReader::BatchSize);
            if (!cursor->fill(batch, VkFeatureReader::BatchSize, &error))
                return error;
            if (!batch.isEmpty() && !m_queue->push(std::move(batch)))
                break;
        }
        return QString();
    }

    VkSourcePtr m_source;
    ReadRequest m_request;
    std::shared_ptr<FeatureBatchQueue> m_queue;
};
} // namespace

VkFeatureStream::VkFeatureStream(VkSourcePtr source, ReadRequest request, VkEventedThread* thread)
    : m_source(std::move(source)), m_request(std::move(request)),
      m_queue(std::make_shared<FeatureBatchQueue>()), m_thread(thread) {}

// Everything started here ends here: the pump, then its runner, then the stream's own thread
// (not through shutdown(), which would end it only once this thread's event loop runs again, and
// never at exit).
VkFeatureStream::~VkFeatureStream() {
    cancel();
    m_queue->waitForPumpGone(kStopWaitMs);
    m_runner.reset();
    delete m_ownThread.data();
}

bool VkFeatureStream::start() {
    if (!m_source->manager()) {
        m_errorText = QStringLiteral("Source %1 has no reader").arg(m_source->path());
        return false;
    }
    if (!m_thread)
        m_thread = m_ownThread = new VkEventedThread(QStringLiteral("Reader Thread"));
    auto* pump = new FeaturePump(m_source, m_request, m_queue);
    m_runner = std::make_unique<VkWorkerRunner>(m_thread, nullptr);
    m_runner->setupNewWorker(pump);
    QMetaObject::invokeMethod(pump, "run", Qt::QueuedConnection);
    return true;
}

bool VkFeatureStream::next(VkFeatureList& batch) {
    QMutexLocker locker(&m_queue->mutex);
    while (m_queue->batches.empty() && !m_queue->finished && !m_queue->canceled)
        m_queue->changed.wait(&m_queue->mutex);
    if (m_queue->batches.empty()) {
        if (m_errorText.isEmpty())
            m_errorText = m_queue->error;
        return false;
    }
    batch = std::move(m_queue->batches.front());
    m_queue->batches.pop_front();
    m_queue->changed.wakeAll();
    return true;
}

QString VkFeatureStream::errorText() const {
    return m_errorText;
}

// The pump sees the cancel in the queue. No cancel goes through the runner: a signal to a worker
// that is ending on its own thread at that moment can leave Qt's slot object behind.
void VkFeatureStream::cancel() {
    m_queue->cancel();
}

#include "VkFeatureStream.moc"
