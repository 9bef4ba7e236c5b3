#include "support/TsfTestFile.h"

#include "formats/tsf/TsfChunkTableWriter.h"
#include "formats/tsf/TsfGenomicIndexWriter.h"
#include "formats/tsf/TsfSourceRecords.h"

#include <QFile>

namespace {

bool addField(TsfCatalog& catalog, qint64 sourceId, const VkField& field, qint64 tableId, int column,
              QString* error) {
    TsfFieldRow row;
    row.sourceId = sourceId;
    row.fieldId = field.idx;
    row.tableId = tableId;
    row.locusIdxMap =
        field.fieldType == VkField::EntityAttribute ? QString() : QLatin1String(TsfLayout::IdxIsId);
    row.entityIdxMap =
        field.fieldType == VkField::LocusAttribute ? QString() : QLatin1String(TsfLayout::IdxIsId);
    row.fieldTableIdx = QString::number(column);
    row.fieldType = TsfChunkCodec::typeCode(field.valueType);
    row.fieldMeta = TsfSourceRecords::fieldMeta(field);
    return catalog.insertField(row, error);
}

bool newTable(TsfCatalog& catalog, const QString& name, qint64* id, QString* error) {
    return catalog.createChunkTable(name, error) &&
           catalog.registerTable(name, TsfLayout::ChunkTableFormat, "{}", id, error);
}

// Appends one entity's cell of a matrix value.
bool appendCell(TsfValueArray& column, const PVariant& matrix, int sample) {
    return column.append(matrix.isSampleMatrix() ? matrix.sampleMatrix().sample(sample) : matrix.at(sample));
}

} // namespace

VkFieldList TsfTestSource::schema() const {
    VkFieldList fields = locusFields + matrixFields;
    if (!sampleNames.isEmpty())
        fields.append(VkField(0, "Sample", "SAMPLE", ValueType::String, VkField::EntityAttribute));
    for (int i = 0; i < fields.size(); ++i)
        fields[i].idx = i;
    for (int i = locusFields.size(); i < locusFields.size() + matrixFields.size(); ++i)
        fields[i].fieldType = VkField::Matrix;
    return fields;
}

VkFeatureList TsfTestSource::expectedFeatures() const {
    VkFeatureList expected;
    for (VkFeature feature : features) {
        if (!sampleNames.isEmpty())
            feature.append(PVariant(sampleNames));
        expected.append(feature);
    }
    return expected;
}

bool TsfTestSource::write(const QString& path, QString* error) const {
    QFile::remove(path);
    TsfDatabase db;
    if (!db.open(path, TsfDatabase::Mode::Create, error) || !db.exec("BEGIN TRANSACTION;", error))
        return false;
    TsfCatalog catalog(db);
    TsfSourceRow source;
    source.name = QStringLiteral("test");
    source.uuid = QStringLiteral("{00000000-0000-0000-0000-000000000001}");
    source.curated = QStringLiteral("2024-01-02 03:04:05");
    source.docs = "{}";
    source.sourceMeta = "{\"featureType\": \"Variant\"}";
    qint64 sourceId = 0;
    qint64 number = 0;
    if (!catalog.createTables(error) || !catalog.insertSource(source, &sourceId, error) ||
        !catalog.nextTableNumber(&number, error))
        return false;
    const VkFieldList fields = schema();

    qint64 locusId = 0;
    const QString locusName = TsfLayout::tableName(number, TsfLayout::LocusAttrKind);
    QVector<ValueType> locusTypes;
    for (const VkField& field : locusFields)
        locusTypes.append(field.valueType);
    if (!newTable(catalog, locusName, &locusId, error))
        return false;
    TsfChunkTableWriter locus(db, locusName, locusId, locusTypes, chunkBits, method);
    std::vector<std::unique_ptr<TsfChunkTableWriter>> matrices;
    for (int m = 0; m < matrixFields.size(); ++m) {
        qint64 id = 0;
        const QString name = TsfLayout::tableName(number + 1 + m, TsfLayout::MatrixKind);
        if (!newTable(catalog, name, &id, error) ||
            !addField(catalog, sourceId, fields[locusFields.size() + m], id, 0, error))
            return false;
        matrices.push_back(std::make_unique<TsfChunkTableWriter>(
            db, name, id, QVector<ValueType>(sampleNames.size(), matrixFields[m].valueType), chunkBits,
            method));
    }
    for (int f = 0; f < locusFields.size(); ++f)
        if (!addField(catalog, sourceId, fields[f], locusId, f, error))
            return false;

    TsfGenomicIndexWriter index(catalog, sourceId, number);
    if (!index.begin(error))
        return false;
    for (const VkFeature& feature : features) {
        index.addRecord(chromosomes.indexOf(feature.segment().chromosome()), feature.segment().start(),
                        feature.segment().stop());
        for (int f = 0; f < locusFields.size(); ++f)
            if (!locus.column(f).append(feature.value(f)) || !locus.flushIfFull(f, error))
                return false;
        for (int m = 0; m < matrixFields.size(); ++m)
            for (int s = 0; s < sampleNames.size(); ++s)
                if (!appendCell(matrices[size_t(m)]->column(s), feature.value(locusFields.size() + m), s) ||
                    !matrices[size_t(m)]->flushIfFull(s, error))
                    return false;
    }
    if (!locus.finish(error) || !index.finish(chromosomes, genomicIndex, method, error))
        return false;
    for (auto& matrix : matrices)
        if (!matrix->finish(error))
            return false;
    if (!sampleNames.isEmpty()) {
        qint64 entityId = 0;
        const QString name = TsfLayout::tableName(number, TsfLayout::EntityAttrKind);
        if (!newTable(catalog, name, &entityId, error) ||
            !addField(catalog, sourceId, fields.last(), entityId, 0, error))
            return false;
        TsfChunkTableWriter entities(db, name, entityId, {ValueType::String}, chunkBits, method);
        for (const QByteArray& sample : sampleNames)
            entities.column(0).appendString(sample);
        if (!entities.finish(error))
            return false;
    }
    return catalog.updateSourceDims(sourceId, sampleNames.size(), features.size(), error) &&
           db.exec("END TRANSACTION;", error);
}
