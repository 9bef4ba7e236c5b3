#pragma once

#include "formats/tsf/TsfConvertOptions.h"
#include "formats/tsf/TsfWorkerBase.h"
#include "formats/tsf/TsfWriteSettings.h"
#include "source/model/VkFeature.h"
#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

class TsfSourceWriter;
class VkEventedThread;

// Writes sources into a TSF file on the writer thread. Either a front object pushes features
// (startSource, any number of writeFeatures, endSource) or the worker pulls them itself
// (convert), reading on the reader thread while it writes. Every answer is a signal; the first
// error is reported through errOccurred, the write is rolled back and the worker shuts down.
class TsfWriterWorker : public TsfWorkerBase<TsfWriterWorker, TsfSourceWriter> {
    Q_OBJECT
public:
    TsfWriterWorker();
    ~TsfWriterWorker() override;

    // An exception out of a slot fails the write like any error: the file is abandoned.
    void failAfterException(const QString& message) override;

    // Records written so far; safe only on the writer thread.
    qint64 recordCount() const;

signals:
    void startSourceFinished(int workerId, QString sourceUrl);
    // After each batch, so that a front object keeps only a few in flight.
    void featuresWritten(int workerId, qint64 recordCount);
    void endSourceFinished(int workerId, QString sourceUrl);

public slots:
    // Entity attribute fields are those of sourceMeta's schema.
    void startSource(QString file, bool newFile, VkFieldList locusAttrFields, VkFieldList matrixFields,
                     VkSourceInfo sourceMeta, QVector<QString> dropSegmentsList,
                     RenameOptions segmentRenameOptions, int chunkBits, bool buildGenomicIdx,
                     int compressionMethod);
    void startSource(TsfWriteSettings settings);
    // A batch of another worker (an id that is neither 0 nor this worker's) is ignored.
    void writeFeatures(VkFeatureList features, int workerId);
    // The chromosome (String), start and stop (Int), then one value per field in field id order.
    void writeRecord(PVariantVector values);
    void endSource(int workerId);
    // Writes the sources, one after the other, as one TSF source with the first one's schema,
    // then ends. Sources only go together when their entity counts, feature types and numbers
    // of locus fields agree.
    void convert(QList<VkSourcePtr> toConvert, VkEventedThread* readerThread,
                 TsfConvertOptions convertOptions);

private:
    bool checkCompatible(const QList<VkSourcePtr>& sources, QString* error) const;
    bool convertSource(const VkSourcePtr& source, VkEventedThread* readerThread, bool sortByPosition,
                       QString* error);
    bool writeStream(const VkSourcePtr& source, const ReadRequest& request, VkEventedThread* readerThread,
                     QString* error);
    bool writeSorted(const VkSourcePtr& source, VkEventedThread* readerThread, QString* error);
    bool writeChromosomeSorted(const VkSourcePtr& source, const ReadRequest& request,
                               VkEventedThread* readerThread, QString* error);
    bool writeBatch(const VkFeatureList& features, QString* error);
};
