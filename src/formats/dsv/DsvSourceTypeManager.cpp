#include "formats/dsv/DsvSourceTypeManager.h"

#include "formats/dsv/DelimitedTextCursor.h"
#include "formats/dsv/DelimitedTextQueryReader.h"
#include "formats/text/TabixIndexBuilder.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFile>
#include <QFileInfo>

#include <htslib/bgzf.h>
#include <htslib/kstring.h>

namespace {
[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<DsvSourceTypeManager>());
    return true;
}();
} // namespace

QStringList DsvSourceTypeManager::suffixes() const {
    return {QStringLiteral(".dsv.gz"), QStringLiteral(".csv.gz"), QStringLiteral(".tsv.gz")};
}

bool DsvSourceTypeManager::handles(const QString& path) const {
    return path.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive) &&
           !path.endsWith(QLatin1String(".vcf.gz"), Qt::CaseInsensitive) &&
           !path.endsWith(QLatin1String(".bed.gz"), Qt::CaseInsensitive) &&
           QFileInfo(path + QStringLiteral(".tbi")).isFile();
}

bool DsvSourceTypeManager::describe(VkSource& source, QString* error) const {
    const auto* given = source.resource<DelimitedTextSourceData>();
    DelimitedText::QueryReader file(source.path(), given ? given->options() : defaultOptions(source.path()));
    if (!file.open() || !file.probe()) {
        *error = file.errorText();
        return false;
    }
    VkSourceInfo& info = source.info();
    const QFileInfo fileInfo(source.path());
    info.name = fileInfo.fileName();
    info.size = fileInfo.size();
    info.schema = file.reader().fieldMap().schema();
    if (file.options().genomicSegmentIndex() >= 0)
        info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Interval);
    if (file.isBgzf())
        info.properties.insert("BgzipFile", PVariant(fileInfo.absoluteFilePath()));
    if (file.isIndexed())
        info.properties.insert("IndexFile", PVariant(QFileInfo(file.indexPath()).absoluteFilePath()));
    source.setResource(QSharedPointer<DelimitedTextSourceData>::create(file.options()));
    return true;
}

bool DsvSourceTypeManager::precomputeNeeded(const VkSource& source, const QString& usage,
                                            QString* message) const {
    if (usage != QLatin1String("GenomicIndex"))
        return false;
    if (!source.info().properties.contains("BgzipFile")) {
        *message = QStringLiteral("Compressing and indexing this Delimited Text source. Please wait...");
        return true;
    }
    if (!source.info().properties.contains("IndexFile")) {
        *message =
            QStringLiteral("Computing a tabix TBI index for this Delimited Text source. Please wait...");
        return true;
    }
    return false;
}

namespace {

// The lines before the first data line, which tabix skips (the probe found where the data starts).
int headerLineCount(const QString& path, qint64 dataStart) {
    BGZF* file = bgzf_open(QFile::encodeName(path).constData(), "r");
    if (!file)
        return 0;
    int lines = 0;
    kstring_t line = {0, 0, nullptr};
    while (bgzf_utell(file) < dataStart && bgzf_getline(file, '\n', &line) >= 0)
        ++lines;
    free(line.s);
    bgzf_close(file);
    return lines;
}

// Columns count from 1 in tabix; a start counted from 0 is read as in BED.
bool tabixLayout(const DelimitedTextReaderOptions& options, const QString& path, tbx_conf_t* conf,
                 QString* error) {
    if (options.fieldDelimiter() != QLatin1String("\t") || options.genomicSegmentIndex() < 0 ||
        options.genomicStartIndex() < 0) {
        *error = QStringLiteral("%1 cannot be indexed: only tab-separated text with chromosome and start "
                                "columns can be")
                     .arg(path);
        return false;
    }
    *conf = tbx_conf_t{options.genomicStartOneBased() ? TBX_GENERIC : TBX_GENERIC | TBX_UCSC,
                       options.genomicSegmentIndex() + 1,
                       options.genomicStartIndex() + 1,
                       options.genomicStopIndex() + 1,
                       '#',
                       headerLineCount(path, options.dataStartPosition())};
    return true;
}

} // namespace

PrecomputeJob DsvSourceTypeManager::precomputeJob(const VkSourcePtr& source, const QString& usage) const {
    const auto* data = source->resource<DelimitedTextSourceData>();
    if (usage != QLatin1String("GenomicIndex") || !data)
        return {};
    const QString path = source->path();
    const QString bgzip = source->info().properties.value("BgzipFile").toQString();
    const QString text = bgzip.isEmpty() ? path : bgzip;
    const bool compressed = !bgzip.isEmpty() || path.endsWith(QLatin1String("gz"), Qt::CaseInsensitive);
    const QString target = compressed ? text : path + QStringLiteral(".gz");
    const DelimitedTextReaderOptions options = data->options();
    return [text, target, options](const PrecomputeProgress& progress, QString* error) {
        tbx_conf_t conf;
        return tabixLayout(options, text, &conf, error) &&
               TabixIndexBuilder(text, target, conf).run(progress, error);
    };
}

FeatureCursorPtr DsvSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                            const QList<int>& fields, QString* error) const {
    return DelimitedTextCursor::openSequential(source, offset, fields, error);
}

FeatureCursorPtr DsvSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                         const QList<VkSegment>& regions,
                                                         const QList<int>& fields, QString* error) const {
    return DelimitedTextCursor::openIndexed(source, regions, fields, error);
}

QString DsvSourceTypeManager::effectiveExtension(const QString& path) {
    QString name = QFileInfo(path).fileName();
    QString extension = name.section(QLatin1Char('.'), -1);
    if (name.contains(QLatin1Char('.')) &&
        (extension.compare(QLatin1String("gz"), Qt::CaseInsensitive) == 0 ||
         extension.compare(QLatin1String("bgz"), Qt::CaseInsensitive) == 0)) {
        name.chop(extension.size() + 1);
        extension = name.section(QLatin1Char('.'), -1);
    }
    return name.contains(QLatin1Char('.')) ? extension : QString();
}

DelimitedTextReaderOptions DsvSourceTypeManager::defaultOptions(const QString& path) {
    DelimitedTextReaderOptions options;
    const bool csv = effectiveExtension(path).compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    DelimitedText::applyFormatDefaults(options, csv, DelimitedText::HeaderStyle::FirstLine);
    return options;
}

VkSourcePtr DsvSourceTypeManager::openPath(const QString& path) {
    return openWithOptions(path, defaultOptions(path));
}

VkSourcePtr DsvSourceTypeManager::openWithOptions(const QString& path,
                                                  const DelimitedTextReaderOptions& options) {
    VkSourcePtr source(new VkSource(path));
    VkSourceTypeManager* manager = VkSourceTypeRegistry::instance().managerForTypeId(TypeId);
    source->setManager(manager);
    source->info().url = path;
    source->info().format = VkSourceTypeRegistry::formatName(TypeId);
    source->setResource(QSharedPointer<DelimitedTextSourceData>::create(options));
    QString error;
    if (!manager->describe(*source, &error))
        source->setErrorText(error);
    return source;
}
