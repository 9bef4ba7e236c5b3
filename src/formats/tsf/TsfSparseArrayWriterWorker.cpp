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

void TsfSparseArrayWriterWorker::failWith(const QString& error) {
    m_ended = true;
    if (m_writer)
        m_writer->abandon();
    shutdownWithError(1, error.isEmpty() ? QStringLiteral("Unknown error while writing") : error);
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
    if (m_ended || m_writer)
        return;
    m_writer = std::make_unique<TsfSparseArraySourceWriter>(std::move(settings));
    QString error;
    if (!m_writer->start(&error)) {
        failWith(error);
        return;
    }
    emit startSourceFinished(workerId(), m_writer->sourceUrl());
}

void TsfSparseArrayWriterWorker::writeFeatures(VkFeatureList features, int workerIdCheck) {
    if (m_ended || (workerIdCheck != 0 && workerIdCheck != workerId()))
        return;
    QString error;
    if (!m_writer || !m_writer->write(features, &error)) {
        failWith(m_writer ? error : QStringLiteral("No source was started for writing"));
        return;
    }
    m_records += features.size();
    reportProgress(m_records, m_expectedRecords);
    emit featuresWritten(workerId(), m_writer->storedBinCount());
}

void TsfSparseArrayWriterWorker::endSource(int workerId) {
    if (m_ended || (workerId != 0 && workerId != this->workerId()))
        return;
    m_ended = true;
    QString error;
    if (!m_writer || !m_writer->finish(&error)) {
        failWith(m_writer ? error : QStringLiteral("No source was started for writing"));
        return;
    }
    emit endSourceFinished(this->workerId(), m_writer->sourceUrl());
    shutdown();
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
    const TsfWriterTask& task = convertOptions.task;
    settings.filePath = task.filePath();
    settings.newFile = task.newFile();
    settings.dropSegmentsList = task.dropSegmentsList();
    settings.segmentRenameOptions = task.segmentRenameOptions();
    if (!task.sourceName().isEmpty())
        settings.sourceInfo.name = task.sourceName();
    m_expectedRecords = std::max<qint64>(source->info().locusCount, 0);
    startSource(settings);
    if (m_ended)
        return;
    QString error;
    const auto write = [this](const VkFeatureList& batch, QString* batchError) {
        m_records += batch.size();
        reportProgress(m_records, m_expectedRecords);
        return m_writer->write(batch, batchError);
    };
    if (!TsfFeaturePull::pull(source, TsfFeaturePull::everything(source), readerThread, *this, write,
                              &error)) {
        if (isCanceled())
            shutdown();
        else
            failWith(error);
        return;
    }
    endSource(workerId());
}
