#include "formats/tsf/TsfSourceTypeManager.h"

#include "formats/tsf/TsfCoverageCursor.h"
#include "formats/tsf/TsfFieldReader.h"
#include "formats/tsf/TsfRecordCursor.h"
#include "formats/tsf/TsfSourceRecords.h"
#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<TsfSourceTypeManager>());
    return true;
}();

constexpr char CoverageSuffix[] = ".covtsf";
const char* const kSuffixes[] = {".tsf-autosave", ".covtsf", ".tsf", ".dsf"};

bool isTsfName(const QString& path) {
    if (TsfDatabase::isMemoryName(path))
        return true;
    return std::any_of(std::begin(kSuffixes), std::end(kSuffixes), [&](const char* suffix) {
        return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
    });
}

bool notValid(QString* error, const QString& cause = QString()) {
    *error = cause.isEmpty() ? QStringLiteral("Not a valid TSF source.")
                             : QStringLiteral("Not a valid TSF source. (%1)").arg(cause);
    return false;
}

bool loadingFailed(const QString& path, const QString& cause, QString* error) {
    *error = QStringLiteral("Loading %1 failed: %2").arg(path, cause);
    return false;
}

// A newer major version may lay its tables out differently: such a file is refused rather than
// misread. Files without the marker are read as the current version.
bool checkFormatVersion(TsfDatabase& db, QString* error) {
    QVector<QPair<QString, QString>> marker;
    if (!db.hasTable(QStringLiteral("meta_data")))
        return true;
    if (!TsfCatalog(db).readFormatMarker(&marker, error))
        return false;
    for (const auto& row : qAsConst(marker)) {
        if (row.first != QLatin1String("version"))
            continue;
        bool ok = false;
        const int version = row.second.toInt(&ok);
        if (!ok || version < 0 || version > TsfLayout::Version) {
            *error = QStringLiteral("its TSF format version %1 is not one this program reads (up to %2)")
                         .arg(row.second)
                         .arg(TsfLayout::Version);
            return false;
        }
    }
    return true;
}

// Readers size per-entity state by entity_dim before they read any entity, so it is held to
// what the file can hold: every entity takes at least a byte of it, a name or a column.
bool checkDimensions(const TsfSourceRow& row, qint64 databaseBytes, QString* error) {
    const auto outOfRange = [&](const char* name, qint64 value) {
        *error = QStringLiteral("the source's %1 of %2 is out of range").arg(QLatin1String(name)).arg(value);
        return false;
    };
    if (row.locusDim < 0 || row.locusDim > INT32_MAX)
        return outOfRange("locus_dim", row.locusDim);
    if (row.entityDim < 0 || row.entityDim > INT32_MAX)
        return outOfRange("entity_dim", row.entityDim);
    if (row.entityDim > databaseBytes) {
        *error = QStringLiteral("the source's entity_dim of %1 is more than the file's %2 bytes can hold")
                     .arg(row.entityDim)
                     .arg(databaseBytes);
        return false;
    }
    return true;
}

// The chromosome names of the hidden Chr field, when the source stores positions.
void loadChromosomes(TsfCatalog& catalog, TsfSourceResource* resource) {
    TsfFieldRow row;
    VkField chr;
    QString ignored;
    if (!catalog.readField(resource->sourceId, TsfLayout::ChrFieldId, &row, &ignored) ||
        !TsfSourceRecords::fieldFromRow(row, &chr, &ignored))
        return;
    resource->chromosomes = chr.enumNames;
    for (int i = 0; i < chr.enumNames.size(); ++i)
        resource->chromosomeIndex.insert(chr.enumNames.at(i), i);
}

void applyIndexes(const QVector<TsfIndexRow>& indexes, TsfSourceResource* resource, VkSourceInfo* info) {
    for (const TsfIndexRow& index : indexes) {
        if (index.idxType == QLatin1String(TsfLayout::GenomicIndexType)) {
            resource->gidxQueryTable = index.queryTableName;
            resource->gidxDataTableId = index.dataTableId;
            info->properties.insert(TsfLayout::GIdxTableNameKey, PVariant(index.queryTableName));
            info->properties.insert(TsfLayout::GIdxChunkTableIdKey, PVariant(int(index.dataTableId)));
        } else if (index.idxType == QLatin1String(TsfLayout::LexIndexType)) {
            bool ok = false;
            const int field = index.fieldId.toInt(&ok);
            if (!ok || field < 0 || field >= info->schema.size())
                continue;
            resource->fieldIndexes.insert(field, index);
            info->schema[field].props.insert("Indexed", PVariant(true));
        } else if (index.idxType == QLatin1String(TsfLayout::SparseArrayIndexType)) {
            resource->isSparseArray = true;
            resource->sparseArrayTableId = index.dataTableId;
        }
    }
}

// The bin size of a coverage companion's first source.
PVariant companionBinSize(const QString& companion) {
    TsfDatabase db;
    QString ignored;
    QVector<TsfSourceRow> rows;
    if (!db.open(companion, TsfDatabase::Mode::ReadOnly, &ignored) ||
        !TsfCatalog(db).readSources(&rows, &ignored) || rows.isEmpty())
        return PVariant();
    PVariant meta;
    if (!Json::read(rows.first().sourceMeta, meta))
        return PVariant();
    return meta.map().value(TsfLayout::BinSizeKey);
}

void applyCoverageCompanion(const QString& databasePath, VkSourceInfo* info) {
    if (TsfDatabase::isMemoryName(databasePath) || databasePath.endsWith(QLatin1String(CoverageSuffix)))
        return;
    const QString companion = databasePath + QLatin1String(CoverageSuffix);
    if (!QFileInfo::exists(companion))
        return;
    const PVariant address(companion + QStringLiteral(":1"));
    info->properties.insert("CoverageFile", address);
    const QString featureType = info->coordInfo.featureType;
    const char* key = featureType == QLatin1String(FeatureTypeName::VariantMap) ? "VarMapCoverageUrl"
                      : featureType == QLatin1String(FeatureTypeName::Variant)  ? "VarCoverageUrl"
                                                                                : "SeqCoverageUrl";
    info->properties.insert(key, address);
    const PVariant binSize = companionBinSize(companion);
    if (binSize.isValid())
        info->properties.insert(TsfLayout::BinSizeKey, binSize);
}

} // namespace

QStringList TsfSourceTypeManager::suffixes() const {
    QStringList list;
    for (const char* suffix : kSuffixes)
        list.append(QLatin1String(suffix));
    return list;
}

void TsfSourceTypeManager::splitPath(const QString& path, QString* databasePath, qint64* sourceId) {
    static const QRegularExpression sourceTail(QStringLiteral(":(\\d+)$"));
    const QRegularExpressionMatch match = sourceTail.match(path);
    const QString head = match.hasMatch() ? path.left(match.capturedStart()) : path;
    const bool selectsSource = match.hasMatch() && isTsfName(head);
    *databasePath = selectsSource ? head : path;
    *sourceId = selectsSource ? match.captured(1).toLongLong() : -1;
}

bool TsfSourceTypeManager::handles(const QString& path) const {
    QString databasePath;
    qint64 sourceId = -1;
    splitPath(path, &databasePath, &sourceId);
    return isTsfName(databasePath);
}

bool TsfSourceTypeManager::describe(VkSource& source, QString* error) const {
    auto resource = QSharedPointer<TsfSourceResource>::create();
    qint64 wantedSource = -1;
    splitPath(source.path(), &resource->databasePath, &wantedSource);
    const QString& path = resource->databasePath;
    const bool inMemory = TsfDatabase::isMemoryName(path);
    const QFileInfo file(path);
    if (!inMemory && !file.exists()) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    TsfDatabase db;
    QString cause;
    if (!db.open(path, TsfDatabase::Mode::ReadOnly, &cause))
        return loadingFailed(path, cause, error);
    if (!db.hasTable(QStringLiteral("source")) || !db.hasTable(QStringLiteral("field")) ||
        !db.hasTable(QStringLiteral("tbl")))
        return notValid(error);
    if (!checkFormatVersion(db, &cause))
        return loadingFailed(path, cause, error);
    TsfCatalog catalog(db);
    QVector<TsfSourceRow> sources;
    if (!catalog.readSources(&sources, &cause))
        return notValid(error, cause);
    const auto row = std::find_if(sources.begin(), sources.end(), [&](const TsfSourceRow& candidate) {
        return wantedSource < 0 || candidate.id == wantedSource;
    });
    if (row == sources.end())
        return notValid(error);
    if (!checkDimensions(*row, db.byteSize(), &cause))
        return loadingFailed(path, cause, error);

    VkSourceInfo& info = source.info();
    TsfSourceRecords::applySourceRow(*row, &info);
    resource->sourceId = row->id;
    resource->locusCount = row->locusDim;
    resource->entityCount = row->entityDim;
    resource->cacheStamp =
        inMemory ? QString()
                 : QStringLiteral("%1_%2").arg(file.lastModified().toMSecsSinceEpoch()).arg(file.size());
    if (!inMemory)
        info.size = file.size();
    QVector<TsfIndexRow> indexes;
    if (!catalog.readSchemaFields(row->id, &resource->fieldRows, &cause) ||
        !catalog.readIndexes(row->id, &indexes, &cause))
        return loadingFailed(path, cause, error);
    info.schema.clear();
    for (const TsfFieldRow& fieldRow : resource->fieldRows) {
        VkField field;
        if (!TsfSourceRecords::fieldFromRow(fieldRow, &field, &cause))
            return loadingFailed(path, cause, error);
        info.schema.append(field);
    }
    applyIndexes(indexes, resource.data(), &info);
    loadChromosomes(catalog, resource.data());
    const PVariant inOrder = info.properties.value(TsfLayout::FeaturesInGenomicOrderKey);
    info.chromosomeOrder = ChromosomeOrder(resource->chromosomes.toList(),
                                           !inOrder.isValid() ? ChromosomeOrder::Sortedness::Unknown
                                           : inOrder.toBool() ? ChromosomeOrder::Sortedness::Sorted
                                                              : ChromosomeOrder::Sortedness::Unsorted);
    applyCoverageCompanion(path, &info);
    source.setResource(resource);
    return true;
}

FeatureCursorPtr TsfSourceTypeManager::openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                                  QString* error) const {
    const TsfSourceResource* resource = source->resource<TsfSourceResource>();
    if (resource && resource->isSparseArray)
        return TsfCoverageCursor::open(source, request, error);
    return TsfRecordCursor::open(source, request, error);
}

VkFieldReader* TsfSourceTypeManager::createFieldReader(const VkSourcePtr& source) const {
    return new TsfFieldReader(source);
}
