#pragma once

#include <vector>

#include "formats/vcf/VcfColumns.h"
#include "source/model/VkFeature.h"
#include "source/registry/VkSource.h"
#include "tasks/TaskRecords.h"
#include "tasks/workers/VkEventedThread.h"
#include "tasks/workers/VkWorker.h"

#include <QPointer>
#include <QSet>

class VcfTextOutput;
class VkEventedThread;
class ReferenceSequence;

// Writes a variant source as VCF 4.1 on the writer thread, pulling its features from the reader
// thread. Records come out in the order they are read, re-sorted within a window of
// sortWindowSize records; problems that do not stop the write are sent as warnings.
class VCFWriterWorker : public VkWorker {
    Q_OBJECT
public:
    VCFWriterWorker(VkSourcePtr source, VCFWriterTask task, VkEventedThread* readerThread);
    ~VCFWriterWorker() override;

signals:
    void workerWarning(QString warning);

public slots:
    void write();

private:
    bool writeAll(VcfTextOutput& output, QString* error);
    bool findSampleNames(const VkFeature& first, QString* error);
    QByteArray header() const;
    QByteArray undeclaredContigs() const;
    void appendRecord(QByteArray& line, const VkFeature& feature);
    void appendSamples(QByteArray& line);
    bool samplesRepeatLast() const;
    void appendAlleles(QByteArray& line, const VkFeature& feature);
    QByteArray referenceBase(const VkSegment& segment);
    void warnOnce(const QString& warning);

    VkSourcePtr m_source;
    VCFWriterTask m_task;
    QPointer<VkEventedThread> m_readerThread;
    VcfColumns m_columns;
    QVector<QByteArray> m_sampleNames;
    QByteArray m_formatKeys;
    std::vector<const PVariant*> m_sampleFields; // the matrix values of the record being written
    // The sample columns last written and the values they were written from: a join repeats one
    // left record's samples on every matching row, and their text is most of the line.
    std::vector<PVariant> m_lastSampleValues;
    QByteArray m_lastSampleText;
    VkSourcePtr m_referenceSource;
    ReferenceSequence* m_reference = nullptr;
    bool m_referenceLooked = false;
    QSet<QString> m_warned;
};
