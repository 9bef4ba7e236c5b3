#pragma once

#include "source/registry/VkSource.h"
#include "tasks/TaskRecords.h"
#include "tasks/TaskRunner.h"

#include <QPointer>
#include <QStringList>

// Runs a VCFWriterWorker on a writer thread and collects its warnings. When the write succeeds,
// the written file, opened again, is the result.
class VCFWriterRunner : public TaskRunner {
    Q_OBJECT
public:
    VCFWriterRunner(VkSourcePtr source, VCFWriterTask task, VkEventedThread* writerThread,
                    VkEventedThread* readerThread = nullptr, QObject* parent = nullptr);

    void start() override;
    const QStringList& warnings() const { return m_warnings; }

public slots:
    void collectWorkerWarning(QString warning);

private:
    void finished();

    VkSourcePtr m_source;
    VCFWriterTask m_task;
    QPointer<VkEventedThread> m_readerThread;
    QStringList m_warnings;
};
