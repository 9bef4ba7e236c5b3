#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"
#include "tasks/workers/VkWorker.h"

#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

class VkEventedThread;

// Base of the workers that write a source to files. A writer runs on its own thread and pulls the
// source's features through a VkFeatureStream read ahead on the reader thread. When the files are
// complete it opens them again as sources and hands them back, so a task list can go on with them.
class WriterWorker : public VkWorker {
    Q_OBJECT
public:
    WriterWorker(VkSourcePtr source, VkEventedThread* readerThread);

    using FeatureConsumer = std::function<bool(const VkFeature& feature, QString* error)>;

signals:
    // The written files as sources, sent just before the worker shuts down after a successful write.
    void written(int workerId, QList<VkSourcePtr> outputs);

public slots:
    // Writes the whole source, then shuts down; with the reason when the write failed.
    void run();

protected:
    const VkSourcePtr& source() const { return m_source; }
    // The files the source reads, which no output may replace.
    QStringList inputs() const { return m_source->inputPaths(); }

    // Writes every file; false with the reason. Files not committed by then are left out.
    virtual bool write(QString* error) = 0;
    // A written file as a source; by default whatever kind of the registry claims it.
    virtual VkSourcePtr openOutput(const QString& path) const;

    // Hands every feature of the source, in source order and with the listed fields filled, to the
    // consumer. False with the reason when the source or the consumer fails; false when cancelled.
    bool readFeatures(const QList<int>& fields, const FeatureConsumer& consume, QString* error);
    // A file the write produced; it is opened as a source once the write has succeeded. Output
    // streamed into a device or a FIFO is not added: there is no file to open again.
    void addOutput(const QString& path) { m_outputs.append(path); }

private:
    VkSourcePtr m_source;
    QPointer<VkEventedThread> m_readerThread;
    QStringList m_outputs;
};
