#include "formats/dsv/DsvSourceTypeManager.h"

#include "formats/dsv/DelimitedTextCursor.h"
#include "formats/dsv/DelimitedTextQueryReader.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>

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
