#include "formats/vcf/VcfSourceTypeManager.h"

#include "formats/text/CompressedFile.h"
#include "formats/text/TabixIndexBuilder.h"
#include "formats/text/TextFileReader.h"
#include "formats/vcf/VcfFeatureCursor.h"
#include "formats/vcf/VcfFieldReader.h"
#include "formats/vcf/VcfFile.h"
#include "formats/vcf/VcfHeader.h"
#include "formats/vcf/VcfSchema.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>
#include <QSet>

namespace {

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<VcfSourceTypeManager>());
    return true;
}();

// Keys that a file uses without declaring them are looked for in its first records only: enough
// for the usual undeclared GT or INFO key, cheap on any file: a file with thousands of samples
// stops at the byte bound long before the line bound.
constexpr int kLinesScannedForKeys = 1000;
constexpr qint64 kBytesScannedForKeys = 1 << 20;

QString caller(const QByteArray& source) {
    if (source.contains("GATK"))
        return QStringLiteral("GATK");
    if (source.contains("CASAVA"))
        return QStringLiteral("CASAVA");
    return QString();
}

QString coordSysId(const QByteArray& reference) {
    for (const char* build : {"NCBI37", "build37", "hg19"})
        if (reference.contains(build))
            return QStringLiteral("GRCh_37,Chromosome,Homo sapiens");
    return QString();
}

void declareUsedKeys(TextFile::Reader& reader, VcfHeader& header) {
    int length = 0;
    qint64 bytes = 0;
    for (int scanned = 0; scanned < kLinesScannedForKeys && bytes < kBytesScannedForKeys; ++scanned) {
        const char* line = reader.nextLine(&length);
        if (!line)
            return;
        if (length > 0 && line[0] != '#')
            header.declareKeysOf(line, length);
        bytes += length;
    }
}

// The bgzip copy, its index and its coverage companion, each only when it exists.
void addCompanionFiles(const QString& path, PVariantMap& properties) {
    const QString bgzip =
        TextFile::isGzip(path) ? (TextFile::isBgzf(path) ? path : QString()) : path + QStringLiteral(".gz");
    if (bgzip.isEmpty() || !TextFile::isBgzf(bgzip))
        return;
    properties.insert("BgzipFile", PVariant(bgzip));
    const QString index = VcfFile::indexPath(bgzip);
    if (!index.isEmpty())
        properties.insert("IndexFile", PVariant(index));
    const QString coverage = bgzip + QStringLiteral(".covtsf");
    if (QFileInfo(coverage).isFile()) {
        properties.insert("CoverageFile", PVariant(coverage + QStringLiteral(":1")));
        properties.insert("VarCoverageUrl", PVariant(coverage + QStringLiteral(":1")));
    }
}

// The header lines that the schema does not stand for (contigs, ALT alleles, samples ...), kept
// so that a writer can give them back.
QVector<QString> carriedHeaderLines(const VcfHeader& header) {
    static const QSet<QByteArray> rebuilt = {"fileformat", "INFO",   "FORMAT",   "FILTER",
                                             "fileDate",   "source", "reference"};
    QVector<QString> lines;
    for (const VcfHeaderRecord& record : header.records()) {
        if (rebuilt.contains(record.key()))
            continue;
        const QByteArray value = record.isStructured() ? '<' + record.value() + '>' : record.value();
        lines.append(QString::fromUtf8("##" + record.key() + '=' + value));
    }
    return lines;
}

// A tabix index lists the chromosomes in file order and is only built over a sorted file; the
// header's contigs follow, and stand alone without an index.
ChromosomeOrder chromosomeOrder(const VcfHeader& header, const TextFile::Reader& reader) {
    const bool indexed = reader.mode() == TextFile::Reader::Mode::Tabix;
    ChromosomeOrder order(reader.sequenceNames(), indexed ? ChromosomeOrder::Sortedness::Sorted
                                                          : ChromosomeOrder::Sortedness::Unknown);
    for (const VcfHeaderRecord& record : header.records())
        if (record.isStructured() && record.key() == "contig" && !record.entry("ID").isEmpty())
            order.append(record.entry("ID"));
    return order;
}

void describeSource(const QString& path, const VcfHeader& header, const VcfSchema& schema,
                    VkSourceInfo& info) {
    info.name = QFileInfo(path).fileName();
    info.size = QFileInfo(path).size();
    info.entityCount = schema.sampleCount();
    const QByteArray reference = header.value("reference");
    info.properties.insert("Version", PVariant(header.value("fileformat")));
    if (!reference.isEmpty())
        info.properties.insert("ReferenceFile", PVariant(reference));
    info.properties.insert("SampleNames", PVariant(schema.sampleNames()));
    addCompanionFiles(path, info.properties);
    info.coordInfo.coordSysId = coordSysId(reference);
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Variant);
    info.source = caller(header.value("source"));
    info.docInfo.setDescriptionHtml(
        QStringLiteral("<p>A %1 file with %2 samples called with %3 with the reference %4</p>")
            .arg(VkSourceTypeRegistry::formatName(VcfSourceTypeManager::TypeId),
                 QString::number(schema.sampleCount()),
                 info.source.isEmpty() ? QStringLiteral("an unknown caller") : info.source,
                 reference.isEmpty() ? QStringLiteral("an unknown reference")
                                     : QString::fromUtf8(reference)));
    info.schema = schema.fields();
    info.docInfo.setHeaderLines(carriedHeaderLines(header));
}

} // namespace

QStringList VcfSourceTypeManager::suffixes() const {
    return {QStringLiteral(".gvcf.gz"), QStringLiteral(".vcf.gz"), QStringLiteral(".gvcf"),
            QStringLiteral(".vcf")};
}

bool VcfSourceTypeManager::describe(VkSource& source, QString* error) const {
    const QString path = source.path();
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    TextFile::Reader reader;
    const QString index = TextFile::isBgzf(path) ? VcfFile::indexPath(path) : QString();
    if (!VcfFile::open(reader, path, index, error))
        return false;
    VcfHeader header;
    if (!header.read(reader, error)) {
        if (error->isEmpty())
            *error = (TextFile::isGzip(path) ? QStringLiteral("Error while opening VCF.GZ %1")
                                             : QStringLiteral("Unable to open VCF %1"))
                         .arg(path);
        return false;
    }
    declareUsedKeys(reader, header);
    const QSharedPointer<VcfSchema> schema = QSharedPointer<VcfSchema>::create(header);
    describeSource(path, header, *schema, source.info());
    source.info().chromosomeOrder = chromosomeOrder(header, reader);
    // Known from the index, so that writers can show their progress.
    const qint64 indexed = reader.indexedRecordCount();
    if (indexed >= 0 && indexed <= INT32_MAX)
        source.info().locusCount = int32_t(indexed);
    source.setResource(schema);
    return true;
}

bool VcfSourceTypeManager::precomputeNeeded(const VkSource& source, const QString& usage,
                                            QString* message) const {
    if (usage != QLatin1String("GenomicIndex"))
        return false;
    const PVariantMap& properties = source.info().properties;
    if (!properties.contains("BgzipFile"))
        *message = QStringLiteral("Compressing and indexing this VCF source. Please wait...");
    else if (!properties.contains("IndexFile"))
        *message = QStringLiteral("Computing a tabix TBI index for this VCF source. Please wait...");
    else
        return false;
    return true;
}

PrecomputeJob VcfSourceTypeManager::precomputeJob(const VkSourcePtr& source, const QString& usage) const {
    if (usage != QLatin1String("GenomicIndex"))
        return {};
    const QString path = source->path();
    const QString bgzip = source->info().properties.value("BgzipFile").toQString();
    const QString text = bgzip.isEmpty() ? path : bgzip;
    const QString target = !bgzip.isEmpty() || TextFile::isGzip(path) ? text : path + QStringLiteral(".gz");
    return [text, target](const PrecomputeProgress& progress, QString* error) {
        return TabixIndexBuilder(text, target, tbx_conf_vcf).run(progress, error);
    };
}

bool VcfSourceTypeManager::limitPrefixTrimming(const VkSource& source) {
    const PVariant value = source.info().properties.value("LimitPrefixTrimming");
    return !value.isValid() || value.toQString().compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

namespace {
const VcfSchema* vcfSchema(const VkSource& source, QString* error) {
    const auto* schema = source.resource<VcfSchema>();
    if (!schema)
        *error = QStringLiteral("VCF source %1 was not opened").arg(source.path());
    return schema;
}
} // namespace

FeatureCursorPtr VcfSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                            const QList<int>& fields, QString* error) const {
    const VcfSchema* vcf = vcfSchema(*source, error);
    if (!vcf)
        return nullptr;
    auto cursor =
        std::make_unique<VcfFeatureCursor>(*vcf, source->path(), fields, !limitPrefixTrimming(*source));
    if (!cursor->openSequential(offset, error))
        return nullptr;
    return cursor;
}

FeatureCursorPtr VcfSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                         const QList<VkSegment>& regions,
                                                         const QList<int>& fields, QString* error) const {
    const QString index = TextFile::isBgzf(source->path()) ? VcfFile::indexPath(source->path()) : QString();
    if (index.isEmpty())
        return nullptr;
    const VcfSchema* vcf = vcfSchema(*source, error);
    if (!vcf)
        return nullptr;
    auto cursor =
        std::make_unique<VcfFeatureCursor>(*vcf, source->path(), fields, !limitPrefixTrimming(*source));
    if (!cursor->openRegions(index, regions, error))
        return nullptr;
    return cursor;
}

VkFieldReader* VcfSourceTypeManager::createFieldReader(const VkSourcePtr& source) const {
    return new VcfFieldReader(source);
}
