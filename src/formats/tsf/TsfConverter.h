#pragma once

#include "formats/tsf/TsfConvertOptions.h"
#include "tasks/TaskRunner.h"

// Runs one TSF conversion as a task: a TsfWriterWorker (a TsfSparseArrayWriterWorker for reference
// sequences and coverage) on the writer thread pulls the input sources from the reader thread and
// writes them, so reading and writing overlap. When the
// worker has ended, results() holds the written file opened again as a source (or the runner's
// error text says why there is none) and workComplete() is emitted.
class TsfConverter : public TaskRunner {
    Q_OBJECT
public:
    TsfConverter(QList<VkSourcePtr> sources, TsfConvertOptions options, VkEventedThread* writerThread,
                 VkEventedThread* readerThread, QObject* parent = nullptr);

    // After a successful write the written file takes this file's place in one rename.
    void setReplacedFile(const QString& path) { m_replacedFile = path; }

    void start() override;

private:
    template <class Worker> void startWorker();
    void workerEnded();
    bool replaceFile(QString* error);

    QList<VkSourcePtr> m_sources;
    TsfConvertOptions m_options;
    QPointer<VkEventedThread> m_readerThread;
    QString m_replacedFile;
    QString m_writtenUrl;
};
