#pragma once

#include "tasks/workers/VkWorker.h"

#include <QVariantList>

#include <memory>

// A worker that runs one job: startJob() calls doWork() once, delivers its results through
// workComplete() and shuts down, or shuts down with the job's error.
class VkJobWorker : public VkWorker {
    Q_OBJECT
public:
    explicit VkJobWorker(QObject* parent = nullptr);

signals:
    void workComplete(int workerId, QVariantList results);

public slots:
    void startJob(QVariantList args);

protected:
    // Fills results, or sets error and returns false.
    virtual bool doWork(const QVariantList& args, QVariantList& results, QString& error) = 0;

private:
    std::shared_ptr<QVariantList> m_results;
};
