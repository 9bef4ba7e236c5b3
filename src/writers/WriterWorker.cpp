#include "writers/WriterWorker.h"

#include "source/readers/VkFeatureStream.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "tasks/workers/VkEventedThread.h"

namespace {
constexpr int kWriteErrorId = 1;
} // namespace

WriterWorker::WriterWorker(VkSourcePtr source, VkEventedThread* readerThread)
    : m_source(std::move(source)), m_readerThread(readerThread) {}

void WriterWorker::run() {
    QString error;
    const bool ok = m_source && write(&error);
    // A cancelled write was abandoned by its runner: there is nothing to report.
    if (isCanceled()) {
        shutdown();
        return;
    }
    if (!ok) {
        shutdownWithError(kWriteErrorId, m_source ? error : QStringLiteral("No source to write"));
        return;
    }
    QList<VkSourcePtr> outputs;
    for (const QString& path : qAsConst(m_outputs))
        outputs.append(openOutput(path));
    emit written(workerId(), outputs);
    shutdown();
}

VkSourcePtr WriterWorker::openOutput(const QString& path) const {
    return VkSourceTypeRegistry::instance().open(path);
}

bool WriterWorker::readFeatures(const QList<int>& fields, const FeatureConsumer& consume, QString* error) {
    ReadRequest request;
    request.fieldList = fields;
    VkFeatureStream stream(m_source, request, m_readerThread);
    if (!stream.start()) {
        *error = stream.errorText();
        return false;
    }
    const qint64 total = m_source->info().locusCount;
    qint64 done = 0;
    VkFeatureList batch;
    while (stream.next(batch)) {
        if (isCanceled())
            return false;
        for (const VkFeature& feature : qAsConst(batch))
            if (!consume(feature, error))
                return false;
        done += batch.size();
        reportProgress(done, total);
    }
    *error = stream.errorText();
    return error->isEmpty();
}
