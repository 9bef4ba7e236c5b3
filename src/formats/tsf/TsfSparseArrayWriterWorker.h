#pragma once

#include "formats/tsf/TsfConvertOptions.h"
#include "formats/tsf/TsfSparseArraySourceWriter.h"
#include "formats/tsf/TsfWorkerBase.h"
#include "source/registry/VkSource.h"

class VkEventedThread;

// Writes a reference-sequence or coverage source into a TSF sparse-array source on the writer
// thread: pushed (startSource, writeFeatures, endSource) or pulled from the reader thread
// (convert). Answers and errors travel as TsfWriterWorker's do.
class TsfSparseArrayWriterWorker
    : public TsfWorkerBase<TsfSparseArrayWriterWorker, TsfSparseArraySourceWriter> {
    Q_OBJECT
public:
    TsfSparseArrayWriterWorker();
    ~TsfSparseArrayWriterWorker() override;

    // An exception out of a slot fails the write like any error: the file is abandoned.
    void failAfterException(const QString& message) override;

signals:
    void startSourceFinished(int workerId, QString sourceUrl);
    void featuresWritten(int workerId, qint64 storedBins);
    void endSourceFinished(int workerId, QString sourceUrl);

public slots:
    void startSource(QString file, bool newFile, VkFieldList arrayFields, VkSourceInfo sourceMeta,
                     QVector<QString> dropSegmentsList, RenameOptions segmentRenameOptions,
                     PVariant defaultArrayValue, int binSize, int entityCount);
    void startSource(TsfSparseArraySettings settings);
    // A batch of another worker (an id that is neither 0 nor this worker's) is ignored.
    void writeFeatures(VkFeatureList features, int workerIdCheck);
    void endSource(int workerId);
    // Writes the first source whole with the task's output settings, then ends.
    void convert(QList<VkSourcePtr> toConvert, VkEventedThread* readerThread,
                 TsfConvertOptions convertOptions);

private:
    qint64 m_records = 0;
};
