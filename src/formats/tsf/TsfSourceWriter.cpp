#include "formats/tsf/TsfSourceWriter.h"

#include "formats/tsf/TsfSourceRecords.h"
#include "formats/tsf/TsfWriteReport.h"

#include <QUuid>

#include <algorithm>
#include <cmath>

namespace {

QString fieldName(const VkField& field) {
    return QString::fromUtf8(field.name);
}

QString fieldLabel(const VkField& field) {
    return QString::fromUtf8(field.symbol.isEmpty() ? field.name : field.symbol);
}

void applyFieldMeta(const FieldMetaOptions& meta, VkField* field) {
    if (meta.isNull())
        return;
    if (!meta.name().isEmpty())
        field->name = meta.name().toUtf8();
    if (!meta.doc().isEmpty())
        field->doc = meta.doc();
    if (!meta.urlTemplate().isEmpty())
        field->urlTemplate = meta.urlTemplate();
    if (meta.isHtml())
        field->props.insert("isHtml", PVariant(true));
    if (!meta.enumDocs().isEmpty())
        field->props.insert("enumDocs", PVariant::fromStringList(meta.enumDocs()));
}

QString numberText(const PVariant& value) {
    return QString::fromUtf8(value.toText());
}

} // namespace

TsfSourceWriter::TsfSourceWriter(TsfWriteSettings settings)
    : TsfDatabaseWriter(settings.filePath, settings.dropSegmentsList, settings.segmentRenameOptions),
      m_settings(std::move(settings)) {
    // The description is shared with the source's readers; the write documents a copy.
    VkSourceInfo& info = m_settings.sourceInfo;
    info.docInfo = info.docInfo.isNull() ? SourceMetaOptions() : info.docInfo.clone();
    m_expectedValues = m_settings.expectedValueCount();
    if (m_settings.chunkBits > 2)
        m_chunkBits = m_settings.chunkBits;
}

TsfSourceWriter::~TsfSourceWriter() {
    if (isUnfinished())
        abandon();
}

int TsfSourceWriter::automaticChunkBits(int locusFieldCount, int matrixFieldCount, int entityCount) {
    const qint64 width =
        qint64(locusFieldCount) + (entityCount >= 1 ? qint64(entityCount) * matrixFieldCount : 0);
    const int n = width <= 1 ? 0 : int(std::floor(std::log2(double(width))));
    return std::max(12 - std::max(n - 11, 0), 8);
}

void TsfSourceWriter::releaseTables() {
    m_locusTable.reset();
    m_matrix.clear();
    m_index.reset();
}

// Start

bool TsfSourceWriter::start(QString* error) {
    if (!markStarted(error))
        return false;
    if (!openDatabase(m_settings.newFile, error) || !insertSource(error) || !createTables(error) ||
        !insertFieldRows(error))
        return fail(error, QString());
    return true;
}

bool TsfSourceWriter::insertSource(QString* error) {
    const VkSourceInfo& info = m_settings.sourceInfo;
    TsfSourceRow row;
    row.name = info.name;
    row.entityDim = std::max(info.entityCount, 0);
    row.uuid = info.uuid.isEmpty() ? QUuid::createUuid().toString() : info.uuid;
    row.curated = TsfSourceRecords::curated(info.curated);
    row.docs = TsfSourceRecords::docs(info.docInfo);
    row.sourceMeta = TsfSourceRecords::sourceMeta(info);
    return m_catalog.insertSource(row, &m_sourceId, error);
}

bool TsfSourceWriter::createTable(const char* kind, qint64 fieldCount, QString* name, qint64* tableId,
                                  QString* error) {
    qint64 number = 0;
    if (!m_catalog.nextTableNumber(&number, error))
        return false;
    *name = TsfLayout::tableName(number, kind);
    TsfChunkTableMeta meta;
    meta.fieldCount = fieldCount;
    meta.recordCount = 0;
    meta.chunkBits = m_chunkBits;
    return m_catalog.createChunkTable(*name, error) &&
           m_catalog.registerTable(*name, TsfLayout::ChunkTableFormat, meta.toJson(), tableId, error);
}

bool TsfSourceWriter::createTables(QString* error) {
    for (const VkField& field : m_settings.locusAttrFields)
        m_locusColumns.emplace_back(field);
    if (!m_locusColumns.empty() && !createTable(TsfLayout::LocusAttrKind, qint64(m_locusColumns.size()),
                                                &m_locusTableName, &m_locusTableId, error))
        return false;
    qint64 number = 0;
    if (!m_catalog.nextTableNumber(&number, error))
        return false;
    m_index = std::make_unique<TsfGenomicIndexWriter>(m_catalog, m_sourceId, number);
    if (!m_index->begin(error))
        return false;
    for (const VkField& field : m_settings.matrixFields) {
        MatrixTable matrix{TsfFieldColumn(field), QString(), -1, nullptr};
        if (!createTable(TsfLayout::MatrixKind, std::max(m_settings.sourceInfo.entityCount, 0), &matrix.name,
                         &matrix.tableId, error))
            return false;
        m_matrix.push_back(std::move(matrix));
    }
    for (const VkField& field : m_settings.entityAttrFields)
        m_entityColumns.emplace_back(field);
    m_entityValues.resize(int(m_entityColumns.size()));
    return m_entityColumns.empty() || createTable(TsfLayout::EntityAttrKind, qint64(m_entityColumns.size()),
                                                  &m_entityTableName, &m_entityTableId, error);
}

VkField TsfSourceWriter::storedField(const VkField& field, int fieldId) const {
    VkField stored = field;
    stored.idx = fieldId;
    applyFieldMeta(m_settings.fieldsMeta.value(fieldId), &stored);
    return stored;
}

bool TsfSourceWriter::insertFieldRows(QString* error) {
    int locus = 0;
    int matrix = 0;
    int entity = 0;
    const VkFieldList fields = m_settings.fieldsInOrder();
    for (int fieldId = 0; fieldId < fields.size(); ++fieldId) {
        const VkField& field = fields.at(fieldId);
        TsfFieldRow row;
        row.sourceId = m_sourceId;
        row.fieldId = fieldId;
        row.fieldType = TsfChunkCodec::typeCode(field.valueType);
        if (field.fieldType == VkField::Matrix) {
            row.tableId = m_matrix[size_t(matrix)].tableId;
            row.locusIdxMap = row.entityIdxMap = QLatin1String(TsfLayout::IdxIsId);
            row.fieldTableIdx = QStringLiteral("0");
            m_fieldOrder.append({VkField::Matrix, matrix++});
        } else if (field.fieldType == VkField::EntityAttribute) {
            row.tableId = m_entityTableId;
            row.entityIdxMap = QLatin1String(TsfLayout::IdxIsId);
            row.fieldTableIdx = QString::number(entity);
            m_fieldOrder.append({VkField::EntityAttribute, entity++});
        } else {
            row.tableId = m_locusTableId;
            row.locusIdxMap = QLatin1String(TsfLayout::IdxIsId);
            row.fieldTableIdx = QString::number(locus);
            m_fieldOrder.append({VkField::LocusAttribute, locus++});
        }
        VkField stored = storedField(field, fieldId);
        if (stored.valueType == ValueType::Categorical || stored.valueType == ValueType::CategoricalArray) {
            stored.enumNames.clear();
            stored.enumValues.clear();
        }
        row.fieldMeta = TsfSourceRecords::fieldMeta(stored);
        if (!m_catalog.insertField(row, error))
            return false;
    }
    // Categories a user named take the first codes, in the order given; the source's own follow.
    for (int fieldId = 0; fieldId < fields.size(); ++fieldId) {
        TsfFieldColumn& column = columnOf(m_fieldOrder.at(fieldId));
        column.seedCategories(m_settings.fieldsMeta.value(fieldId).enumNames());
        column.seedDeclaredCategories();
    }
    return true;
}

TsfFieldColumn& TsfSourceWriter::columnOf(const FieldRef& ref) {
    if (ref.kind == VkField::Matrix)
        return m_matrix[size_t(ref.index)].column;
    if (ref.kind == VkField::EntityAttribute)
        return m_entityColumns[size_t(ref.index)];
    return m_locusColumns[size_t(ref.index)];
}

// Writing

bool TsfSourceWriter::checkEncodable(QString* error) const {
    for (const TsfFieldColumn& column : m_locusColumns) {
        if (!column.isEncodable()) {
            *error = QStringLiteral("writeFeatures locus attr: type %1 not yet implemented")
                         .arg(ValueTypes::name(column.storageType()));
            return false;
        }
    }
    for (const MatrixTable& matrix : m_matrix) {
        if (!matrix.column.isEncodable()) {
            *error = QStringLiteral("writeFeatures matrix: type %1 not yet implemented")
                         .arg(ValueTypes::name(matrix.column.storageType()));
            return false;
        }
    }
    for (const TsfFieldColumn& column : m_entityColumns) {
        if (!column.isEncodable()) {
            *error = QStringLiteral("writeFeatures locus attr: type %1 not yet implemented")
                         .arg(ValueTypes::name(column.storageType()));
            return false;
        }
    }
    return true;
}

int TsfSourceWriter::observedEntityCount(const VkFeatureList& features) const {
    if (m_settings.sourceInfo.entityCount > 0)
        return m_settings.sourceInfo.entityCount;
    for (const VkFeature& feature : features) {
        for (const VkField& field : m_settings.matrixFields) {
            const PVariant& value = feature.value(field.idx);
            if (value.isVector() && value.size() > 0)
                return value.size();
        }
    }
    return 0;
}

bool TsfSourceWriter::prepare(const VkFeatureList& features, QString* error) {
    m_prepared = true;
    if (!checkEncodable(error))
        return false;
    m_entityCount = observedEntityCount(features);
    if (m_settings.chunkBits <= 2)
        m_chunkBits =
            automaticChunkBits(int(m_locusColumns.size()), int(m_matrix.size()), std::max(m_entityCount, 0));
    QVector<ValueType> locusTypes;
    for (const TsfFieldColumn& column : m_locusColumns)
        locusTypes.append(column.storageType());
    if (!locusTypes.isEmpty())
        m_locusTable = std::make_unique<TsfChunkTableWriter>(
            m_db, m_locusTableName, m_locusTableId, locusTypes, m_chunkBits, m_settings.locusCompression());
    for (MatrixTable& matrix : m_matrix)
        matrix.writer = std::make_unique<TsfMatrixTableWriter>(
            m_db, matrix.name, matrix.tableId, matrix.column.storageType(), m_entityCount, m_chunkBits,
            m_settings.matrixCompression(), m_encoders);
    return true;
}

bool TsfSourceWriter::write(const VkFeatureList& features, QString* error) {
    if (!checkWritable(error))
        return false;
    if (features.isEmpty())
        return true;
    if (!m_prepared && !prepare(features, error))
        return fail(error, QString());
    for (int i = 0; i < features.size(); ++i)
        if (!writeFeature(features.at(i), i, error))
            return fail(error, QString());
    return true;
}

bool TsfSourceWriter::writeRecord(const PVariantVector& values, QString* error) {
    const VkFieldList fields = m_settings.fieldsInOrder();
    if (values.size() != fields.size() + 3) {
        return fail(error, QStringLiteral("Got %1 instead of expected %2 fields in feature %3 (record %4)")
                               .arg(values.size())
                               .arg(fields.size() + 3)
                               .arg(0)
                               .arg(m_records));
    }
    PVariantVector featureValues(m_expectedValues);
    for (int k = 0; k < fields.size(); ++k)
        featureValues[fields.at(k).idx] = values.at(k + 3);
    const VkSegment segment(values.at(0).toText(), values.at(1).toInt(), values.at(2).toInt());
    return write(VkFeatureList{VkFeature(segment, featureValues)}, error);
}

bool TsfSourceWriter::writeFeature(const VkFeature& feature, int batchIndex, QString* error) {
    if (!m_dropped.isEmpty() && m_dropped.contains(feature.segment().chromosome()))
        return true;
    if (feature.size() != m_expectedValues) {
        *error = QStringLiteral("Got %1 instead of expected %2 fields in feature %3 (record %4)")
                     .arg(feature.size())
                     .arg(m_expectedValues)
                     .arg(batchIndex)
                     .arg(m_records);
        return false;
    }
    if (!writeLocusValues(feature, error) || !writeMatrixValues(feature, error))
        return false;
    if (!m_entityColumns.empty())
        noteEntityValues(feature);
    notePosition(feature.segment());
    ++m_records;
    return true;
}

bool TsfSourceWriter::writeLocusValues(const VkFeature& feature, QString* error) {
    for (int c = 0; c < int(m_locusColumns.size()); ++c) {
        TsfFieldColumn& column = m_locusColumns[size_t(c)];
        const PVariant& value = feature.value(column.field().idx);
        const TsfFieldColumn::Status status = column.append(value, m_locusTable->column(c));
        if (status != TsfFieldColumn::Status::Ok) {
            *error = statusMessage(status, column, value, false);
            return false;
        }
        if (!m_locusTable->flushIfFull(c, error))
            return false;
    }
    return true;
}

bool TsfSourceWriter::writeMatrixValues(const VkFeature& feature, QString* error) {
    for (MatrixTable& matrix : m_matrix) {
        const PVariant& value = feature.value(matrix.column.field().idx);
        const TsfFieldColumn::Status status =
            matrix.column.appendMatrix(value, *matrix.writer, m_entityCount);
        if (status != TsfFieldColumn::Status::Ok) {
            *error = statusMessage(status, matrix.column, value, true);
            return false;
        }
        if (!matrix.writer->recordDone(error))
            return false;
    }
    return true;
}

void TsfSourceWriter::noteEntityValues(const VkFeature& feature) {
    for (int c = 0; c < int(m_entityColumns.size()); ++c) {
        if (m_entityValues[c].isValid())
            continue;
        const PVariant& value = feature.value(m_entityColumns[size_t(c)].field().idx);
        if (value.isVector() && value.size() > 0)
            m_entityValues[c] = value;
    }
}

QString TsfSourceWriter::statusMessage(TsfFieldColumn::Status status, const TsfFieldColumn& column,
                                       const PVariant& value, bool matrix) const {
    const VkField& field = column.field();
    switch (status) {
    case TsfFieldColumn::Status::ConversionFailed:
        return QStringLiteral("When writing record %1. Could not convert from %2 to %3")
            .arg(m_records)
            .arg(value.typeName(), ValueTypes::name(column.storageType()));
    case TsfFieldColumn::Status::TooManyCategories:
        if (column.storageType() == ValueType::CategoricalArray)
            return QStringLiteral(
                       "Field %1 exceeded max number of unique strings(%2) for Array of Categorical "
                       "field type")
                .arg(fieldName(field))
                .arg(TsfFieldColumn::MaxCategories);
        return (matrix ? QStringLiteral("Matrix field %1 (%2) exceeded max number of unique strings(%3) for "
                                        "Categorical field type")
                       : QStringLiteral("Field %1 (%2) exceeded max number of unique strings(%3) for "
                                        "Categorical field type"))
            .arg(fieldName(field), fieldLabel(field))
            .arg(TsfFieldColumn::MaxCategories);
    case TsfFieldColumn::Status::NotAVector:
        return QStringLiteral("Expected matrix field %1 to be a Vector, not %2.")
            .arg(fieldName(field), value.typeName());
    case TsfFieldColumn::Status::WrongElementType:
        return QStringLiteral(
                   "Adding %1 with matrix field with %2 vector type, versus the field specified type of %3.")
            .arg(fieldName(field), ValueTypes::name(value.elementType()),
                 ValueTypes::name(column.storageType()));
    case TsfFieldColumn::Status::WrongEntityCount:
        return QStringLiteral(
                   "Unable to add %1 with matrix field with %2 entities, versus previous observed %3 "
                   "entities.")
            .arg(fieldName(field))
            .arg(value.size())
            .arg(m_entityCount);
    case TsfFieldColumn::Status::Ok:
        break;
    }
    return QString();
}

int TsfSourceWriter::chromosomeIndex(const QByteArray& chromosome) {
    auto found = m_chromosomeIndexes.constFind(chromosome);
    if (found != m_chromosomeIndexes.constEnd()) {
        // Coming back to a chromosome left earlier breaks genomic order.
        m_inGenomicOrder = false;
        return found.value();
    }
    const int index = m_chromosomes.size();
    m_chromosomes.append(chromosome);
    m_chromosomeIndexes.insert(chromosome, index);
    return index;
}

void TsfSourceWriter::notePosition(const VkSegment& segment) {
    const QByteArray& chromosome = segment.chromosome();
    if (m_lastChromosomeIndex < 0 || chromosome != m_lastChromosome) {
        m_lastChromosomeIndex = chromosomeIndex(m_renames.value(chromosome, chromosome));
        m_lastChromosome = chromosome;
        m_lastStart = segment.start();
    }
    if (segment.start() < m_lastStart)
        m_inGenomicOrder = false;
    m_lastStart = segment.start();
    m_index->addRecord(m_lastChromosomeIndex, segment.start(), segment.stop());
}

// Finishing

bool TsfSourceWriter::finish(QString* error) {
    if (!checkWritable(error))
        return false;
    if (m_records == 0)
        return fail(error, QStringLiteral("Write error: no data was provided. Either the input was empty or "
                                          "through filtering no records made it through to be written."));
    if (!finishTables(error) || !finishIndex(error) || !finishFields(error) || !finishSource(error) ||
        !closeDatabase(error))
        return fail(error, QString());
    return true;
}

bool TsfSourceWriter::finishTables(QString* error) {
    if (m_locusTable && !m_locusTable->finish(error))
        return false;
    for (MatrixTable& matrix : m_matrix)
        if (!matrix.writer->finish(error))
            return false;
    if (!writeEntityTable(error))
        return false;
    m_docsHtml += compressionReport();
    return m_catalog.updateSourceDims(m_sourceId, std::max(m_entityCount, 0), m_records, error);
}

bool TsfSourceWriter::writeEntityTable(QString* error) {
    if (m_entityColumns.empty())
        return true;
    const PVariant sampleNames = m_settings.sourceInfo.properties.value("SampleNames");
    QVector<ValueType> types;
    for (int c = 0; c < int(m_entityColumns.size()); ++c) {
        const TsfFieldColumn& column = m_entityColumns[size_t(c)];
        types.append(column.storageType());
        if (!m_entityValues[c].isValid() && column.storageType() == ValueType::String &&
            sampleNames.isVector())
            m_entityValues[c] = sampleNames;
        const int count = m_entityValues[c].size();
        if (m_entityValues[c].isValid() && m_entityCount > 0 && count != m_entityCount) {
            *error = QStringLiteral(
                         "Adding entity field %1 with %2 entities, versus previous observed %3 entities.")
                         .arg(fieldName(column.field()))
                         .arg(count)
                         .arg(m_entityCount);
            return false;
        }
        if (m_entityCount <= 0)
            m_entityCount = count;
    }
    TsfChunkTableWriter table(m_db, m_entityTableName, m_entityTableId, types, m_chunkBits,
                              m_settings.locusCompression());
    for (int c = 0; c < int(m_entityColumns.size()); ++c) {
        for (int e = 0; e < m_entityCount; ++e) {
            const PVariant value = m_entityValues[c].at(e);
            if (m_entityColumns[size_t(c)].append(value, table.column(c)) != TsfFieldColumn::Status::Ok) {
                *error = statusMessage(TsfFieldColumn::Status::ConversionFailed, m_entityColumns[size_t(c)],
                                       value, false);
                return false;
            }
            if (!table.flushIfFull(c, error))
                return false;
        }
    }
    if (!table.finish(error))
        return false;
    for (int c = 0; c < table.columnCount(); ++c) {
        m_entityStats.uncompressedBytes += table.stats(c).uncompressedBytes;
        m_entityStats.compressedBytes += table.stats(c).compressedBytes;
    }
    return true;
}

QString TsfSourceWriter::compressionReport() const {
    QVector<TsfWriteReport::CompressionRow> rows;
    for (const FieldRef& ref : m_fieldOrder) {
        TsfWriteReport::CompressionRow row;
        if (ref.kind == VkField::LocusAttribute) {
            row.name = m_locusColumns[size_t(ref.index)].field().name;
            row.uncompressedBytes = m_locusTable->stats(ref.index).uncompressedBytes;
            row.compressedBytes = m_locusTable->stats(ref.index).compressedBytes;
        } else if (ref.kind == VkField::Matrix) {
            const MatrixTable& matrix = m_matrix[size_t(ref.index)];
            row.name = matrix.column.field().name;
            row.uncompressedBytes = matrix.writer->stats().uncompressedBytes;
            row.compressedBytes = matrix.writer->stats().compressedBytes;
        } else {
            continue;
        }
        rows.append(row);
    }
    if (!m_entityColumns.empty())
        rows.append({QByteArrayLiteral("Entity Fields"), m_entityStats.uncompressedBytes,
                     m_entityStats.compressedBytes});
    return TsfWriteReport::compressionStatistics(rows);
}

bool TsfSourceWriter::finishIndex(QString* error) {
    const bool withIndex = m_settings.buildGenomicIndex && m_inGenomicOrder;
    if (!m_index->finish(m_chromosomes, withIndex, m_settings.locusCompression(), error)) {
        *error =
            QStringLiteral("Failed to update meta for table %1. ").arg(m_index->dataTableName()) + *error;
        return false;
    }
    PVariantMap& properties = m_settings.sourceInfo.properties;
    properties.insert(TsfLayout::FeaturesInGenomicOrderKey, PVariant(m_inGenomicOrder));
    if (!withIndex) {
        properties.remove(TsfLayout::GIdxTableNameKey);
        properties.remove(TsfLayout::GIdxChunkTableIdKey);
        return true;
    }
    properties.insert(TsfLayout::GIdxTableNameKey, PVariant(m_index->queryTableName()));
    properties.insert(TsfLayout::GIdxChunkTableIdKey,
                      PVariant(static_cast<long long>(m_index->dataTableId())));
    QVector<TsfWriteReport::ExtentRow> rows;
    for (const TsfGenomicIndexWriter::Extent& extent : m_index->extents(m_chromosomes))
        rows.append({extent.chromosome, QString::number(extent.minStart), QString::number(extent.maxStop)});
    m_docsHtml += TsfWriteReport::genomicIndexExtents(rows);
    return true;
}

bool TsfSourceWriter::finishFields(QString* error) {
    const VkFieldList fields = m_settings.fieldsInOrder();
    QVector<TsfWriteReport::ExtentRow> extents;
    QVector<TsfWriteReport::CategoryRow> categories;
    for (int fieldId = 0; fieldId < fields.size(); ++fieldId) {
        const TsfFieldColumn& column = columnOf(m_fieldOrder.at(fieldId));
        const VkField field = storedField(column.finishedField(), fieldId);
        if (!m_catalog.updateFieldMeta(m_sourceId, fieldId, TsfSourceRecords::fieldMetaWithProps(field),
                                       error))
            return false;
        if (column.hasExtents())
            extents.append({field.name, numberText(column.extentMin()), numberText(column.extentMax())});
        if (column.isCategorical())
            categories.append({field.name, column.categories()});
    }
    m_docsHtml += TsfWriteReport::valueExtents(extents) + TsfWriteReport::categoryFields(categories);
    return true;
}

bool TsfSourceWriter::finishSource(QString* error) {
    VkSourceInfo& info = m_settings.sourceInfo;
    info.docInfo.setDescriptionHtml(info.docInfo.descriptionHtml() + m_docsHtml);
    return m_catalog.updateSourceDocs(m_sourceId, TsfSourceRecords::docs(info.docInfo), error) &&
           m_catalog.updateSourceMeta(m_sourceId, TsfSourceRecords::sourceMeta(info), error);
}
