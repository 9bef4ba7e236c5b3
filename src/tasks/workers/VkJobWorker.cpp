#include "tasks/workers/VkJobWorker.h"

namespace {

constexpr int kJobFailedErrorId = 1;

} // namespace

VkJobWorker::VkJobWorker(QObject* parent) : VkWorker(parent), m_results(std::make_shared<QVariantList>()) {}

void VkJobWorker::startJob(QVariantList args) {
    if (isCanceled()) {
        shutdown();
        return;
    }
    QString error;
    if (!doWork(args, *m_results, error)) {
        if (error.isEmpty()) {
            error = QStringLiteral("Do work function returned false!");
        }
        shutdownWithError(kJobFailedErrorId, error);
        return;
    }
    if (!m_results->isEmpty()) {
        emit workComplete(workerId(), *m_results);
    }
    shutdown();
}
