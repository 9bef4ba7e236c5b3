#include "formats/tsf/TsfFieldReader.h"

#include "formats/tsf/RawSqlTableReader.h"
#include "formats/tsf/TsfLocusGather.h"
#include "formats/tsf/TsfMatrixGather.h"
#include "formats/tsf/TsfSourceRecords.h"
#include "source/values/SharedNames.h"

namespace {

// The type chunks hold for a field type: codes for Categorical fields.
ValueType storedType(ValueType type) {
    if (type == ValueType::Categorical)
        return ValueType::Int;
    if (type == ValueType::CategoricalArray)
        return ValueType::IntArray;
    return type;
}

bool readableByField(ValueType type) {
    return TsfValueArray::isStorable(type);
}

// Values of all entities as one vector: typed when they share a scalar type.
PVariant entityVector(const PVariantVector& values, ValueType type) {
    switch (type) {
    case ValueType::String: {
        QVector<QByteArray> strings;
        for (const PVariant& value : values)
            strings.append(value.bytes());
        return PVariant(strings);
    }
    case ValueType::Int:
    case ValueType::Categorical: {
        QVector<int32_t> ints;
        for (const PVariant& value : values)
            ints.append(value.intValue());
        return PVariant(ints);
    }
    default:
        return PVariant(values);
    }
}

} // namespace

TsfFieldReader::TsfFieldReader(VkSourcePtr source) : VkFieldReader(std::move(source)) {
    m_resource = m_source ? m_source->resource<TsfSourceResource>() : nullptr;
    if (!m_resource) {
        static const TsfSourceResource empty;
        m_resource = &empty;
        m_errorText = QStringLiteral("Not a valid TSF source.");
        return;
    }
    m_db.open(m_resource->databasePath, TsfDatabase::Mode::ReadOnly, &m_errorText);
}

TsfFieldReader::~TsfFieldReader() {
    // Table readers hold statements of the connection; they go first.
    m_fields.clear();
    m_tables.clear();
    m_chunkTables.clear();
}

TsfFieldReader::FieldAccess* TsfFieldReader::access(qint64 fieldId, QString* error) {
    auto found = m_fields.find(fieldId);
    if (found == m_fields.end()) {
        found = m_fields.emplace(fieldId, FieldAccess()).first;
        resolve(fieldId, &found->second);
    }
    if (!found->second.error.isEmpty()) {
        *error = found->second.error;
        return nullptr;
    }
    return &found->second;
}

bool TsfFieldReader::resolve(qint64 fieldId, FieldAccess* access) {
    if (!m_db.isOpen()) {
        access->error = m_errorText.isEmpty() ? QStringLiteral("Not a valid TSF source.") : m_errorText;
        return false;
    }
    TsfCatalog catalog(m_db);
    TsfFieldRow row;
    if (!catalog.readField(m_resource->sourceId, fieldId, &row, &access->error) ||
        !TsfSourceRecords::fieldFromRow(row, &access->field, &access->error))
        return false;
    // Every feature carries copies of the category names: permanent ones cost no count updates.
    for (QByteArray& name : access->field.enumNames)
        name = SharedNames::permanent(name.constData(), name.size());
    if (row.locusIdxMap.isEmpty() && row.entityIdxMap.isEmpty()) {
        access->error =
            QStringLiteral("Neither locus or entity index maps were set for table:%1, field:%2 in "
                           "source %3.")
                .arg(row.tableId)
                .arg(fieldId)
                .arg(m_resource->sourceId);
        return false;
    }
    access->table = tableReader(row, &access->error);
    if (!access->table)
        return false;
    access->chunks = dynamic_cast<TypedChunkTableReader*>(access->table.get());
    access->column = row.fieldTableIdx.toInt();
    return true;
}

std::shared_ptr<TsfTableReader> TsfFieldReader::tableReader(const TsfFieldRow& row, QString* error) {
    const QString key = QStringLiteral("%1_%2_%3").arg(row.tableId).arg(row.locusIdxMap, row.entityIdxMap);
    if (const auto shared = m_tables.value(key))
        return shared;
    TsfTableRow table;
    QString name;
    TsfLayout::TableFormat format;
    if (!TsfCatalog(m_db).readTable(row.tableId, &table, error)) {
        *error = QStringLiteral("Unable to find table with ID %1 for field %2 in source %3.")
                     .arg(row.tableId)
                     .arg(row.fieldId)
                     .arg(m_resource->sourceId);
        return nullptr;
    }
    if (!TsfLayout::parseTableUri(table.uri, &name, error) ||
        !TsfLayout::classifyTableFormat(table.format, &format, error))
        return nullptr;
    if (!TsfLayout::isPlainIdentifier(name)) {
        *error = QStringLiteral("Invalid table or column name %1").arg(name);
        return nullptr;
    }
    TsfIndexMap locusMap;
    TsfIndexMap entityMap;
    if (!indexMap(row.locusIdxMap, &locusMap, error) || !indexMap(row.entityIdxMap, &entityMap, error))
        return nullptr;
    std::shared_ptr<TsfTableReader> reader;
    if (format == TsfLayout::TableFormat::ChunkTable) {
        TsfChunkTableMeta meta;
        if (!TsfChunkTableMeta::fromJson(table.meta, name, &meta, error))
            return nullptr;
        if (!checkDimensions(row, name, meta, error))
            return nullptr;
        reader = TypedChunkTableReader::open(m_db, name, meta, m_resource->tableIdentity(name),
                                             std::move(locusMap), std::move(entityMap), error);
    } else if (format == TsfLayout::TableFormat::Raw) {
        reader =
            RawSqlTableReader::open(m_db, name, table.meta, std::move(locusMap), std::move(entityMap), error);
    } else {
        *error = QStringLiteral("Tables of format %1 cannot be read").arg(table.format);
    }
    if (reader)
        m_tables.insert(key, reader);
    return reader;
}

// A table that rows or columns map to one to one must have as many of them as the source has
// records or entities: otherwise records would be dropped or read past the table.
bool TsfFieldReader::checkDimensions(const TsfFieldRow& row, const QString& tableName,
                                     const TsfChunkTableMeta& meta, QString* error) const {
    const bool locusIdentity = row.locusIdxMap == QLatin1String(TsfLayout::IdxIsId);
    const bool entityIdentity = row.entityIdxMap == QLatin1String(TsfLayout::IdxIsId);
    const auto disagree = [&](const char* what, qint64 tableCount, const char* dimension,
                              qint64 sourceCount) {
        *error = QStringLiteral("Table %1 holds %2 %3 where the source's %4 is %5")
                     .arg(tableName)
                     .arg(tableCount)
                     .arg(QLatin1String(what))
                     .arg(QLatin1String(dimension))
                     .arg(sourceCount);
        return false;
    };
    if (locusIdentity && meta.recordCount != m_resource->locusCount)
        return disagree("records", meta.recordCount, "locus_dim", m_resource->locusCount);
    if (locusIdentity && entityIdentity && meta.fieldCount != m_resource->entityCount)
        return disagree("entity columns", meta.fieldCount, "entity_dim", m_resource->entityCount);
    if (row.locusIdxMap.isEmpty() && entityIdentity && meta.recordCount != m_resource->entityCount)
        return disagree("entities", meta.recordCount, "entity_dim", m_resource->entityCount);
    return true;
}

bool TsfFieldReader::indexMap(const QString& text, TsfIndexMap* map, QString* error) {
    qint64 tableId = 0;
    int column = 0;
    if (text.isEmpty())
        *map = TsfIndexMap();
    else if (text == QLatin1String(TsfLayout::IdxIsId) || text == QLatin1String(TsfLayout::SparseArrayMap))
        *map = TsfIndexMap::identity();
    else if (TsfLayout::parseColumnMap(text, &tableId, &column)) {
        std::shared_ptr<TypedChunkTableReader> table = chunkTable(tableId, error);
        if (!table)
            return false;
        *map = TsfIndexMap::column(std::move(table), column);
    } else if (TsfLayout::isPlainIdentifier(text)) {
        *map = TsfIndexMap::table(m_db, text);
    } else {
        *error = QStringLiteral("Invalid table or column name %1").arg(text);
        return false;
    }
    return true;
}

std::shared_ptr<TypedChunkTableReader> TsfFieldReader::chunkTable(qint64 tableId, QString* error) {
    if (const auto shared = m_chunkTables.value(tableId))
        return shared;
    TsfTableRow table;
    QString name;
    TsfLayout::TableFormat format;
    TsfChunkTableMeta meta;
    if (!TsfCatalog(m_db).readTable(tableId, &table, error) ||
        !TsfLayout::parseTableUri(table.uri, &name, error) ||
        !TsfLayout::classifyTableFormat(table.format, &format, error))
        return nullptr;
    if (format != TsfLayout::TableFormat::ChunkTable || !TsfLayout::isPlainIdentifier(name)) {
        *error = QStringLiteral("Table %1 is not a chunk table").arg(tableId);
        return nullptr;
    }
    if (!TsfChunkTableMeta::fromJson(table.meta, name, &meta, error))
        return nullptr;
    auto reader = TypedChunkTableReader::open(m_db, name, meta, m_resource->tableIdentity(name),
                                              TsfIndexMap::identity(), TsfIndexMap(), error);
    if (reader)
        m_chunkTables.insert(tableId, reader);
    return reader;
}

bool TsfFieldReader::locusValue(FieldAccess& access, qint64 record, PVariant* value, QString* error) {
    qint64 row = 0;
    if (!access.table->locusMap().map(record, &row, error))
        return false;
    if (access.chunks) {
        int position = 0;
        const TsfValueArray* chunk = access.chunks->chunkAt(row, access.column, &position, error);
        if (!chunk)
            return false;
        return TsfLocusGather::categoryValue(access.field, chunk->valueAt(position), value, error);
    }
    const PVariant stored = access.table->valueAt(row, access.column, error);
    return error->isEmpty() && TsfLocusGather::categoryValue(access.field, stored, value, error);
}

bool TsfFieldReader::matrixValue(FieldAccess& access, qint64 record, PVariant* value, QString* error) {
    qint64 row = 0;
    if (!access.table->locusMap().map(record, &row, error))
        return false;
    const int entities = int(m_resource->entityCount);
    if (!access.chunks) {
        PVariantVector cells(entities);
        for (int e = 0; e < entities; ++e)
            if (!cellValue(access, row, e, &cells[e], error))
                return false;
        *value = PVariant(cells);
        return true;
    }
    PVariant* target = value;
    return gatherMatrix(access, &row, 1, &target, error);
}

TsfMatrixGather& TsfFieldReader::matrixGather(FieldAccess& access) {
    if (!access.gather)
        access.gather = std::make_shared<TsfMatrixGather>(
            access.field.name, storedType(access.field.valueType), int(m_resource->entityCount));
    return *access.gather;
}

// The per-sample chunks a batch starts in are set decoding on the prefetch threads for every
// field at once before the first field is gathered; otherwise the first chunks of a read (all of
// them, for a small region) decode one after another on this thread.
void TsfFieldReader::prefetchMatrixChunks(qint64 firstRecord, const QList<int>& fields) {
    QString ignored;
    for (int field : fields) {
        FieldAccess* found =
            field >= 0 && field < m_resource->fieldRows.size() ? access(field, &ignored) : nullptr;
        qint64 row = 0;
        if (!found || !found->chunks || !found->field.isMatrix() ||
            !found->table->locusMap().map(firstRecord, &row, &ignored) || row < 0 ||
            row >= found->chunks->rowCount())
            continue;
        matrixGather(*found).prefetchChunks(*found->chunks, found->table->entityMap(),
                                            row >> found->chunks->meta().chunkBits);
    }
}

bool TsfFieldReader::gatherMatrix(FieldAccess& access, const qint64* rows, int count, PVariant* const* out,
                                  QString* error) {
    matrixGather(access);
    for (int j = 0; j < count; ++j) {
        if (rows[j] < 0 || rows[j] >= access.chunks->rowCount()) {
            *error = QStringLiteral("Error reading chunk: row %1 is outside table %2")
                         .arg(rows[j])
                         .arg(access.chunks->tableName());
            return false;
        }
    }
    qint64 lastRow = -1;
    if (m_lastRecord >= 0 && access.table->locusMap().kind() == TsfIndexMap::Kind::Identity)
        lastRow = m_lastRecord;
    return access.gather->gather(*access.chunks, access.table->entityMap(), rows, count, lastRow, out, error);
}

bool TsfFieldReader::gatherLocus(FieldAccess& access, const qint64* rows, int count, PVariant* const* out,
                                 QString* error) {
    if (!access.locus)
        access.locus = std::make_shared<TsfLocusGather>(access.field);
    return access.locus->gather(*access.chunks, access.column, rows, count, out, error);
}

bool TsfFieldReader::cellValue(FieldAccess& access, qint64 row, qint64 entity, PVariant* value,
                               QString* error) {
    qint64 column = 0;
    if (!access.table->entityMap().map(entity, &column, error))
        return false;
    *value = access.table->valueAt(row, int(column), error);
    return error->isEmpty();
}

bool TsfFieldReader::entityValues(FieldAccess& access, PVariant* value, QString* error) {
    const int idx = access.field.idx;
    const auto cached = m_entityValues.constFind(idx);
    if (cached != m_entityValues.constEnd()) {
        *value = cached.value();
        return true;
    }
    PVariantVector values(int(m_resource->entityCount));
    for (int e = 0; e < values.size(); ++e) {
        qint64 row = 0;
        if (!access.table->entityMap().map(e, &row, error))
            return false;
        values[e] = access.table->valueAt(row, access.column, error);
        if (!error->isEmpty())
            return false;
    }
    *value = entityVector(values, access.field.valueType);
    m_entityValues.insert(idx, *value);
    return true;
}

bool TsfFieldReader::readFeatureValue(qint64 record, int field, PVariant* value, QString* error) {
    FieldAccess* found = access(field, error);
    if (!found)
        return false;
    switch (found->field.fieldType) {
    case VkField::Matrix:
        return matrixValue(*found, record, value, error);
    case VkField::EntityAttribute:
        return entityValues(*found, value, error);
    default:
        return locusValue(*found, record, value, error);
    }
}

bool TsfFieldReader::readSegment(qint64 record, VkSegment* segment, QString* error) {
    return readSegments(&record, 1, segment, error);
}

bool TsfFieldReader::readSegments(const qint64* records, int count, VkSegment* segments, QString* error) {
    const int ids[] = {TsfLayout::ChrFieldId, TsfLayout::StartFieldId, TsfLayout::StopFieldId};
    m_positions.resize(size_t(count) * 3);
    m_positionRows.resize(size_t(count));
    const TsfTableReader* mapped = nullptr; // the table whose locus map gave m_positionRows
    for (int i = 0; i < 3; ++i) {
        QString reason;
        FieldAccess* found = access(ids[i], &reason);
        if (!found) {
            // A source written without positions has features without segments.
            if (reason.startsWith(QLatin1String("Unable to find field with index")))
                return true;
            *error = reason;
            return false;
        }
        // The three fields share one table and map: the records are mapped once.
        if (found->table.get() != mapped) {
            for (int j = 0; j < count; ++j)
                if (!found->table->locusMap().map(records[j], &m_positionRows[size_t(j)], error))
                    return false;
            mapped = found->table.get();
        }
        if (!positionNumbers(*found, count, m_positions.data() + size_t(i) * size_t(count), error))
            return false;
    }
    const int32_t* chromosomes = m_positions.data();
    const int32_t* starts = chromosomes + count;
    const int32_t* stops = starts + count;
    for (int j = 0; j < count; ++j) {
        if (chromosomes[j] < 0 || chromosomes[j] >= m_resource->chromosomes.size()) {
            *error =
                QStringLiteral("Chromosome code %1 of record %2 is outside the %3 chromosomes of the source")
                    .arg(chromosomes[j])
                    .arg(records[j])
                    .arg(m_resource->chromosomes.size());
            return false;
        }
        segments[j] = VkSegment(m_resource->chromosomes.at(chromosomes[j]), starts[j], stops[j]);
    }
    return true;
}

// One position field's numbers at m_positionRows, the chunk looked up once per run of rows in it.
bool TsfFieldReader::positionNumbers(FieldAccess& field, int count, int32_t* numbers, QString* error) {
    if (!field.chunks) {
        for (int j = 0; j < count; ++j) {
            numbers[j] = field.table->valueAt(m_positionRows[size_t(j)], field.column, error).toInt();
            if (!error->isEmpty())
                return false;
        }
        return true;
    }
    return field.chunks->visitRows(
        field.column, m_positionRows.data(), count, error,
        [&](const TsfValueArray& chunk, int position, int j) {
            if (chunk.type() != ValueType::Int) {
                *error = QStringLiteral("Position column %1 does not hold Int values").arg(field.column);
                return false;
            }
            numbers[j] = chunk.scalarAt<int32_t>(position);
            return true;
        });
}

bool TsfFieldReader::readFeature(qint64 record, const QList<int>& fields, VkFeature* feature,
                                 QString* error) {
    VkFeatureList features;
    if (!readFeatures(&record, 1, fields, &features, error))
        return false;
    *feature = features.first();
    return true;
}

bool TsfFieldReader::readFeatures(const qint64* records, int count, const QList<int>& fields,
                                  VkFeatureList* features, QString* error) {
    const int fieldCount = m_resource->fieldRows.size();
    std::vector<PVariantVector> values;
    values.reserve(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j)
        values.emplace_back(fieldCount);
    std::vector<PVariant*> targets(static_cast<size_t>(count));
    std::vector<qint64> rows(static_cast<size_t>(count));
    if (count > 0)
        prefetchMatrixChunks(records[0], fields);
    for (int field : fields) {
        if (field < 0 || field >= fieldCount)
            continue;
        FieldAccess* found = access(field, error);
        if (!found)
            return false;
        if (found->chunks && found->field.fieldType != VkField::EntityAttribute) {
            for (int j = 0; j < count; ++j) {
                targets[size_t(j)] = values[size_t(j)].data() + field;
                if (!found->table->locusMap().map(records[j], &rows[size_t(j)], error))
                    return false;
            }
            if (!(found->field.isMatrix() ? gatherMatrix(*found, rows.data(), count, targets.data(), error)
                                          : gatherLocus(*found, rows.data(), count, targets.data(), error)))
                return false;
            continue;
        }
        for (int j = 0; j < count; ++j)
            if (!readFeatureValue(records[j], field, values[size_t(j)].data() + field, error))
                return false;
    }
    std::vector<VkSegment> segments(static_cast<size_t>(count));
    if (!readSegments(records, count, segments.data(), error))
        return false;
    for (int j = 0; j < count; ++j)
        features->append(VkFeature(std::move(segments[size_t(j)]), std::move(values[size_t(j)])));
    return true;
}

const TsfValueArray* TsfFieldReader::fieldChunk(int field, qint64 row, int* position, QString* error) {
    FieldAccess* found = access(field, error);
    if (!found)
        return nullptr;
    if (!found->chunks) {
        *error = QStringLiteral("Field %1 is not stored in a chunk table").arg(field);
        return nullptr;
    }
    return found->chunks->chunkAt(row, found->column, position, error);
}

const TsfFieldReader::FieldAccess* TsfFieldReader::plainField(int field) {
    if (field < 0 || field >= m_resource->fieldRows.size()) {
        m_errorText = QStringLiteral("Invalid field idx  %1").arg(field);
        return nullptr;
    }
    QString error;
    FieldAccess* found = access(field, &error);
    if (!found)
        m_errorText = error;
    return found;
}

PVariantVector TsfFieldReader::readValues(qint64 row, int firstField, int endField) {
    PVariantVector values;
    for (int field = firstField; field < endField; ++field) {
        PVariant value;
        const FieldAccess* found = plainField(field);
        if (found && found->field.isMatrix()) {
            m_errorText = QStringLiteral("Can only read Matrix fields with the matrixCell(...) function.");
        } else if (found && !readableByField(found->field.valueType)) {
            m_errorText =
                QStringLiteral("Field-based reads not support for field %1 (%2)")
                    .arg(QString::fromUtf8(found->field.name), ValueTypes::name(found->field.valueType));
        } else if (found) {
            FieldAccess& readable = m_fields.at(field);
            QString error;
            qint64 tableRow = 0;
            const bool entity = readable.field.fieldType == VkField::EntityAttribute;
            const bool mapped = entity ? readable.table->entityMap().map(row, &tableRow, &error)
                                       : readable.table->locusMap().map(row, &tableRow, &error);
            if (mapped) {
                const PVariant stored = readable.table->valueAt(tableRow, readable.column, &error);
                if (error.isEmpty())
                    TsfLocusGather::categoryValue(readable.field, stored, &value, &error);
            }
            if (!error.isEmpty())
                m_errorText = error;
        }
        values.append(value);
    }
    return values;
}

PVariantVector TsfFieldReader::matrixSlice(qint64 row, int field) {
    const FieldAccess* found = plainField(field);
    if (!found)
        return PVariantVector();
    PVariant value;
    QString error;
    if (!found->field.isMatrix() || !matrixValue(m_fields.at(field), row, &value, &error)) {
        m_errorText =
            found->field.isMatrix() ? error : QStringLiteral("Matrix slice not supported on this source");
        return PVariantVector();
    }
    PVariantVector cells(value.size());
    for (int i = 0; i < cells.size(); ++i)
        cells[i] = value.at(i);
    return cells;
}

PVariant TsfFieldReader::matrixCell(qint64 row, int field, int sample) {
    const FieldAccess* found = plainField(field);
    if (!found)
        return PVariant();
    if (!found->field.isMatrix()) {
        m_errorText = QStringLiteral("Matrix cell not supported on this source");
        return PVariant();
    }
    FieldAccess& matrix = m_fields.at(field);
    QString error;
    qint64 tableRow = 0;
    PVariant value;
    if (!matrix.table->locusMap().map(row, &tableRow, &error) ||
        !cellValue(matrix, tableRow, sample, &value, &error))
        m_errorText = error;
    return value;
}
