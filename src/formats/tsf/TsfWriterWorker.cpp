#include "formats/tsf/TsfWriterWorker.h"

#include "formats/tsf/TsfFeaturePull.h"
#include "formats/tsf/TsfSourceWriter.h"
#include "source/readers/VkFeatureReader.h"

#include <QHash>

#include <algorithm>

namespace {

[[maybe_unused]] const bool kMetaTypes = [] {
    qRegisterMetaType<TsfWriteSettings>("TsfWriteSettings");
    qRegisterMetaType<TsfConvertOptions>("TsfConvertOptions");
    qRegisterMetaType<VkFieldList>("VkFieldList");
    qRegisterMetaType<VkSourceInfo>("VkSourceInfo");
    qRegisterMetaType<PVariantVector>("PVariantVector");
    qRegisterMetaType<VkFeatureList>("VkFeatureList");
    qRegisterMetaType<QList<VkSourcePtr>>("QList<VkSourcePtr>");
    return true;
}();

int locusFieldCount(const VkSourcePtr& source) {
    int count = 0;
    for (const VkField& field : source->schema())
        if (field.fieldType == VkField::LocusAttribute)
            ++count;
    return count;
}

// Where each record of a source lies, read with no field values.
struct Position {
    int chromosome;
    int32_t start;
    int32_t stop;
    qint64 ordinal;
};

} // namespace

TsfWriterWorker::TsfWriterWorker() = default;

TsfWriterWorker::~TsfWriterWorker() = default;

void TsfWriterWorker::failAfterException(const QString& message) {
    failWith(message);
}

qint64 TsfWriterWorker::recordCount() const {
    return m_writer ? m_writer->recordCount() : 0;
}

void TsfWriterWorker::startSource(QString file, bool newFile, VkFieldList locusAttrFields,
                                  VkFieldList matrixFields, VkSourceInfo sourceMeta,
                                  QVector<QString> dropSegmentsList, RenameOptions segmentRenameOptions,
                                  int chunkBits, bool buildGenomicIdx, int compressionMethod) {
    TsfWriteSettings settings = TsfWriteSettings::forSource(sourceMeta);
    settings.filePath = file;
    settings.newFile = newFile;
    settings.locusAttrFields = locusAttrFields;
    settings.matrixFields = matrixFields;
    settings.dropSegmentsList = dropSegmentsList;
    settings.segmentRenameOptions = segmentRenameOptions;
    settings.chunkBits = chunkBits;
    settings.buildGenomicIndex = buildGenomicIdx;
    settings.attrFieldCompression = compressionMethod;
    startSource(settings);
}

void TsfWriterWorker::startSource(TsfWriteSettings settings) {
    startWriter(std::move(settings));
}

bool TsfWriterWorker::writeBatch(const VkFeatureList& features, QString* error) {
    if (!writeToWriter(features, error))
        return false;
    reportProgress(m_writer->recordCount(), m_expectedRecords);
    return true;
}

void TsfWriterWorker::writeFeatures(VkFeatureList features, int workerId) {
    if (!accepts(workerId))
        return;
    QString error;
    if (!writeBatch(features, &error)) {
        failWith(error);
        return;
    }
    emit featuresWritten(this->workerId(), m_writer->recordCount());
}

void TsfWriterWorker::writeRecord(PVariantVector values) {
    if (m_ended)
        return;
    QString error;
    if (!requireWriter(&error) || !m_writer->writeRecord(values, &error))
        failWith(error);
}

void TsfWriterWorker::endSource(int workerId) {
    endWriter(workerId);
}

// Converting

void TsfWriterWorker::convert(QList<VkSourcePtr> toConvert, VkEventedThread* readerThread,
                              TsfConvertOptions convertOptions) {
    QString error;
    if (!checkCompatible(toConvert, &error)) {
        failWith(error);
        return;
    }
    TsfWriteSettings settings = TsfWriteSettings::forSource(toConvert.first()->info());
    settings.applyTask(convertOptions.task);
    m_expectedRecords = 0;
    for (const VkSourcePtr& source : toConvert)
        m_expectedRecords += std::max<qint64>(source->info().locusCount, 0);
    if (!startWriter(std::move(settings)))
        return;
    const bool allRead = std::all_of(toConvert.begin(), toConvert.end(), [&](const VkSourcePtr& source) {
        return convertSource(source, readerThread, convertOptions.sortByPosition, &error);
    });
    endConversion(allRead, error);
}

bool TsfWriterWorker::checkCompatible(const QList<VkSourcePtr>& sources, QString* error) const {
    if (sources.isEmpty()) {
        *error = QStringLiteral("Write error: no data was provided. Either the input was empty or through "
                                "filtering no records made it through to be written.");
        return false;
    }
    const VkSourcePtr& first = sources.first();
    for (const VkSourcePtr& source : sources) {
        if (!source || !source->isValid()) {
            *error = source ? source->errorText() : QStringLiteral("A source to write was not opened");
            return false;
        }
        if (source->info().entityCount != first->info().entityCount ||
            source->featureType() != first->featureType() ||
            locusFieldCount(source) != locusFieldCount(first)) {
            *error = QStringLiteral("Source %1 can not be written together with %2: sources written into one "
                                    "need the same entity count, feature type and number of locus fields")
                         .arg(source->path(), first->path());
            return false;
        }
    }
    return true;
}

bool TsfWriterWorker::convertSource(const VkSourcePtr& source, VkEventedThread* readerThread,
                                    bool sortByPosition, QString* error) {
    if (sortByPosition)
        return writeSorted(source, readerThread, error);
    return writeStream(source, TsfFeaturePull::everything(source), readerThread, error);
}

bool TsfWriterWorker::writeStream(const VkSourcePtr& source, const ReadRequest& request,
                                  VkEventedThread* readerThread, QString* error) {
    return TsfFeaturePull::pull(
        source, request, readerThread, *this,
        [this](const VkFeatureList& batch, QString* batchError) { return writeBatch(batch, batchError); },
        error);
}

// Sorting reads the positions first, then each chromosome's records by id, sorted in memory, so
// no more than one chromosome is held at a time.
bool TsfWriterWorker::writeSorted(const VkSourcePtr& source, VkEventedThread* readerThread, QString* error) {
    std::vector<Position> positions;
    QHash<QByteArray, int> chromosomes;
    const auto collect = [&](const VkFeatureList& batch, QString*) {
        for (const VkFeature& feature : batch) {
            const VkSegment& segment = feature.segment();
            const int chromosome = chromosomes.value(segment.chromosome(), chromosomes.size());
            chromosomes.insert(segment.chromosome(), chromosome);
            positions.push_back({chromosome, segment.start(), segment.stop(), qint64(positions.size())});
        }
        return true;
    };
    if (!TsfFeaturePull::pull(source, ReadRequest(), readerThread, *this, collect, error))
        return false;
    std::stable_sort(positions.begin(), positions.end(), [](const Position& a, const Position& b) {
        if (a.chromosome != b.chromosome)
            return a.chromosome < b.chromosome;
        return a.start < b.start || (a.start == b.start && a.stop > b.stop);
    });
    for (size_t first = 0; first < positions.size();) {
        ReadRequest request = TsfFeaturePull::everything(source);
        request.kind = ReadRequest::Ids;
        size_t end = first;
        for (; end < positions.size() && positions[end].chromosome == positions[first].chromosome; ++end)
            request.ids.append(positions[end].ordinal);
        std::sort(request.ids.begin(), request.ids.end());
        if (!writeChromosomeSorted(source, request, readerThread, error))
            return false;
        first = end;
    }
    return true;
}

bool TsfWriterWorker::writeChromosomeSorted(const VkSourcePtr& source, const ReadRequest& request,
                                            VkEventedThread* readerThread, QString* error) {
    VkFeatureList chromosome;
    const auto keep = [&chromosome](const VkFeatureList& batch, QString*) {
        chromosome.append(batch);
        return true;
    };
    if (!TsfFeaturePull::pull(source, request, readerThread, *this, keep, error))
        return false;
    std::stable_sort(chromosome.begin(), chromosome.end(),
                     [](const VkFeature& a, const VkFeature& b) { return a.segment() < b.segment(); });
    for (int at = 0; at < chromosome.size(); at += VkFeatureReader::BatchSize)
        if (!writeBatch(chromosome.mid(at, VkFeatureReader::BatchSize), error))
            return false;
    return true;
}
