#include "formats/tsf/TsfSparseArrayWriterWorker.h"

#include "formats/tsf/TsfFeaturePull.h"

namespace {

[[maybe_unused]] const bool kMetaTypes = [] {
    qRegisterMetaType<TsfSparseArraySettings>("TsfSparseArraySettings");
    return true;
}();

} // namespace

TsfSparseArrayWriterWorker::TsfSparseArrayWriterWorker() = default;

TsfSparseArrayWriterWorker::~TsfSparseArrayWriterWorker() = default;

void TsfSparseArrayWriterWorker::failAfterException(const QString& message) {
    failWith(message);
}

void TsfSparseArrayWriterWorker::startSource(QString file, bool newFile, VkFieldList arrayFields,
                                             VkSourceInfo sourceMeta, QVector<QString> dropSegmentsList,
                                             RenameOptions segmentRenameOptions, PVariant defaultArrayValue,
                                             int binSize, int entityCount) {
    TsfSparseArraySettings settings;
    settings.filePath = file;
    settings.newFile = newFile;
    settings.arrayFields = arrayFields;
    settings.sourceInfo = sourceMeta;
    settings.dropSegmentsList = dropSegmentsList;
    settings.segmentRenameOptions = segmentRenameOptions;
    settings.defaultArrayValue = defaultArrayValue;
    settings.binSize = binSize;
    settings.entityCount = entityCount;
    startSource(settings);
}

void TsfSparseArrayWriterWorker::startSource(TsfSparseArraySettings settings) {
    startWriter(std::move(settings));
}

void TsfSparseArrayWriterWorker::writeFeatures(VkFeatureList features, int workerIdCheck) {
    if (!accepts(workerIdCheck))
        return;
    QString error;
    if (!writeToWriter(features, &error)) {
        failWith(error);
        return;
    }
    m_records += features.size();
    reportProgress(m_records, m_expectedRecords);
    emit featuresWritten(workerId(), m_writer->storedBinCount());
}

void TsfSparseArrayWriterWorker::endSource(int workerId) {
    endWriter(workerId);
}

void TsfSparseArrayWriterWorker::convert(QList<VkSourcePtr> toConvert, VkEventedThread* readerThread,
                                         TsfConvertOptions convertOptions) {
    if (toConvert.isEmpty() || !toConvert.first()->isValid()) {
        failWith(toConvert.isEmpty() ? QStringLiteral("No source was given to write")
                                     : toConvert.first()->errorText());
        return;
    }
    const VkSourcePtr source = toConvert.first();
    TsfSparseArraySettings settings = TsfSparseArraySettings::forSource(source->info());
    settings.applyTask(convertOptions.task);
    m_expectedRecords = std::max<qint64>(source->info().locusCount, 0);
    if (!startWriter(std::move(settings)))
        return;
    QString error;
    const auto write = [this](const VkFeatureList& batch, QString* batchError) {
        m_records += batch.size();
        reportProgress(m_records, m_expectedRecords);
        return m_writer->write(batch, batchError);
    };
    const bool allRead =
        TsfFeaturePull::pull(source, TsfFeaturePull::everything(source), readerThread, *this, write, &error);
    endConversion(allRead, error);
}
