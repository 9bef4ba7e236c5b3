#pragma once

#include "source/registry/PrecomputeJob.h"
#include "tasks/TaskRunner.h"

// Runs one precomputation of a source ("GenomicIndex", "AlignmentCoverage") on a worker thread,
// with its progress. Usable on its own under a CmdWorkerRunnerLogger, or as the runner of a
// PrecomputeTask in a task list: its result is the source opened again, companions and all.
class PrecomputeRunner : public TaskRunner {
    Q_OBJECT
public:
    // Null when the source's kind has no such precomputation.
    static PrecomputeRunner* create(const VkSourcePtr& source, const QString& usage, VkEventedThread* thread);
    // Runs a job that changes the source at sourcePath in any other way (a field index).
    PrecomputeRunner(PrecomputeJob job, QString sourcePath, VkEventedThread* thread);

    void start() override;

private:
    void jobEnded();

    PrecomputeJob m_job;
    QString m_sourcePath;
};
