#include "formats/bam/BamSourceTypeManager.h"

#include "formats/bam/BamCoverageBuilder.h"
#include "formats/bam/BamCursor.h"
#include "formats/bam/BamFile.h"
#include "output/OutputFile.h"
#include "source/model/SchemaText.h"
#include "source/reference/ReferenceSequence.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>

namespace {
[[maybe_unused]] const bool kRegistered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<BamSourceTypeManager>());
    return true;
}();

const char* const kFieldDocs[BamField::Count] = {
    "Read name",
    "BAM index bin of the alignment",
    "Mapping quality",
    "SAM flag bits",
    "CIGAR operations, one letter each",
    "CIGAR operation lengths",
    "Chromosome of the mate",
    "Start of the mate (0-based)",
    "Observed template length",
    "Read bases",
    "Read bases over the reference span: '-' for deleted bases, '.' for skipped bases",
    "Base qualities, Phred+33",
};

VkFieldList readSchema() {
    VkFieldList fields;
    SchemaText::parse(BamSourceTypeManager::SchemaLine, &fields);
    for (int i = 0; i < fields.size(); ++i)
        fields[i].doc = QString::fromLatin1(kFieldDocs[i]);
    return fields;
}

// The values of one tag over the header lines of one type ("@SQ", "AS"), in order, without repeats.
QStringList headerValues(const QByteArray& header, const QByteArray& lineType, const QByteArray& tag) {
    QStringList values;
    for (const QByteArray& line : header.split('\n')) {
        if (!line.startsWith(lineType + '\t'))
            continue;
        for (const QByteArray& field : line.split('\t')) {
            const QString value = QString::fromUtf8(field.mid(3));
            if (field.startsWith(tag + ':') && !values.contains(value))
                values.append(value);
        }
    }
    return values;
}

// The assembly the header names, in an "AS" or "UR" tag of its references.
QString coordSysIdOf(const QByteArray& header) {
    for (const char* tag : {"AS", "UR"})
        for (const QString& value : headerValues(header, "@SQ", tag))
            if (!ReferenceSequence::coordSysIdForName(value).isEmpty())
                return ReferenceSequence::coordSysIdForName(value);
    return QString();
}
} // namespace

const char BamSourceTypeManager::SchemaLine[] = "Name=s\tBin=i\tMapQual=i\tFlag=i\tCigarOp=s\tCigarLen=@i\t"
                                                "MateChr=s\tMatePos=i\tTemplateLen=i\tSeq=s\tAlign=s\tQual=s";

bool BamSourceTypeManager::describe(VkSource& source, QString* error) const {
    const std::unique_ptr<BamFile> file = BamFile::open(source.path(), error);
    if (!file)
        return false;
    VkSourceInfo& description = source.info();
    description.describeFile(source.path());
    description.schema = readSchema();
    description.entityCount = 0;
    description.locusCount = int32_t(std::min<qint64>(file->placedReadCount(), INT32_MAX));
    // A read is an interval of the reference that carries the read's fields.
    description.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Interval);
    const QByteArray header = file->headerText();
    description.coordInfo.coordSysId = coordSysIdOf(header);
    const QString indexPath = BamFile::indexPathOf(source.path());
    if (!indexPath.isEmpty())
        description.properties.insert("IndexFile", PVariant(indexPath));
    // An index can only be built over reads in coordinate order.
    const bool sorted = !indexPath.isEmpty() || headerValues(header, "@HD", "SO").contains("coordinate");
    description.chromosomeOrder =
        ChromosomeOrder(file->chromosomes().toList(),
                        sorted ? ChromosomeOrder::Sortedness::Sorted : ChromosomeOrder::Sortedness::Unknown);
    const QStringList samples = headerValues(header, "@RG", "SM");
    if (!samples.isEmpty())
        description.properties.insert("SampleNames", PVariant::fromStringList(samples.toVector()));
    return true;
}

bool BamSourceTypeManager::precomputeNeeded(const VkSource& source, const QString& usage,
                                            QString* message) const {
    if (usage == QLatin1String("GenomicIndex") && BamFile::indexPathOf(source.path()).isEmpty()) {
        *message = QStringLiteral("Computing a BAM Index (BAI) for this source. Please wait...");
        return true;
    }
    if (usage == QLatin1String("AlignmentCoverage") &&
        !QFileInfo::exists(BamCoverageBuilder::coveragePathOf(source.path()))) {
        *message = QStringLiteral("Computing coverage data for large zoom levels on this BAM source.");
        return true;
    }
    return false;
}

PrecomputeJob BamSourceTypeManager::precomputeJob(const VkSourcePtr& source, const QString& usage) const {
    const QString path = source->path();
    if (usage == QLatin1String("AlignmentCoverage"))
        return [path](const PrecomputeProgress& progress, QString* error) {
            return BamCoverageBuilder(path, BamCoverageBuilder::coveragePathOf(path)).run(progress, error);
        };
    if (usage != QLatin1String("GenomicIndex"))
        return {};
    return [path](const PrecomputeProgress&, QString* error) {
        OutputFile index(path + QStringLiteral(".bai"), OutputFile::Access::ByPath);
        return index.open({path}, error) && BamFile::buildIndex(path, error, index.writePath()) &&
               index.commit(error);
    };
}

FeatureCursorPtr BamSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                            const QList<int>& fields, QString* error) const {
    std::unique_ptr<BamFile> file = BamFile::open(source->path(), error);
    if (!file)
        return nullptr;
    return std::make_unique<BamCursor>(std::move(file), offset, fields);
}

// Without an index a region read scans the file.
FeatureCursorPtr BamSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                         const QList<VkSegment>& regions,
                                                         const QList<int>& fields, QString* error) const {
    std::unique_ptr<BamFile> file = BamFile::open(source->path(), error);
    if (!file)
        return nullptr;
    if (!file->index())
        return nullptr;
    QVector<BamCursor::Range> ranges = BamCursor::rangesOf(*file, regions);
    return std::make_unique<BamCursor>(std::move(file), std::move(ranges), fields);
}
