#include "formats/tsf/TsfCatalog.h"

#include <QUuid>

#include <algorithm>

namespace {

QByteArray withName(const char* sql, const QString& name) {
    return QString::fromLatin1(sql).arg(name).toUtf8();
}

bool finish(TsfStatement& statement, QString* error) {
    if (!statement.isValid()) {
        *error = statement.errorText();
        return false;
    }
    return statement.run(error);
}

} // namespace

bool TsfCatalog::run(const QByteArray& sql, QString* error) {
    return m_db.exec(sql, error);
}

bool TsfCatalog::createTables(QString* error) {
    return run("CREATE TABLE IF NOT EXISTS meta_data (id INTEGER PRIMARY KEY AUTOINCREMENT, table_name TEXT, "
               "name TEXT, value TEXT, aux BLOB);",
               error) &&
           run("CREATE TABLE tbl (id INTEGER PRIMARY KEY AUTOINCREMENT, uuid TEXT, table_uri TEXT, "
               "table_format "
               "TEXT, table_meta TEXT);",
               error) &&
           run("CREATE TABLE source (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, entity_dim INTEGER, "
               "locus_dim INTEGER, uuid TEXT, curated TEXT, docs TEXT, source_meta TEXT);",
               error) &&
           run("CREATE TABLE field (source_id INT, field_id INT, table_id INT, locus_idx_map TEXT, "
               "entity_idx_map "
               "TEXT, field_table_idx TEXT, field_type TEXT, field_meta TEXT);",
               error) &&
           run("CREATE TABLE idx (source_id INT, field_id TEXT, idx_type TEXT, query_table_name TEXT, "
               "data_table_id INT, idx_meta TEXT);",
               error) &&
           writeFormatMarker(error);
}

bool TsfCatalog::writeFormatMarker(QString* error) {
    const QByteArray script =
        QByteArray(
            "DELETE FROM meta_data WHERE table_name == 'TSF';INSERT INTO meta_data (table_name, name, value) "
            "VALUES ('TSF', 'provider', '") +
        TsfLayout::Provider + "');" +
        QString::fromLatin1(
            "INSERT INTO meta_data (table_name, name, value) VALUES ('TSF', 'version', '%1');")
            .arg(TsfLayout::Version)
            .toLatin1() +
        QString::fromLatin1(
            "INSERT INTO meta_data (table_name, name, value) VALUES ('TSF', 'minor_version', '%1');")
            .arg(TsfLayout::MinorVersion)
            .toLatin1();
    return run(script, error);
}

bool TsfCatalog::readFormatMarker(QVector<QPair<QString, QString>>* rows, QString* error) {
    TsfStatement query(m_db, "SELECT name, value FROM meta_data WHERE table_name == 'TSF' ORDER BY id;");
    rows->clear();
    while (query.next())
        rows->append({query.columnString(0), query.columnString(1)});
    if (query.hasError() || !query.isValid()) {
        *error = query.errorText();
        return false;
    }
    return true;
}

bool TsfCatalog::nextTableNumber(qint64* number, QString* error) {
    TsfStatement query(m_db, "SELECT max(id) FROM tbl;");
    if (!query.next() && !query.errorText().isEmpty()) {
        *error = query.errorText();
        return false;
    }
    *number = query.columnInt64(0);
    return true;
}

bool TsfCatalog::registerTable(const QString& tableName, const char* format, const QByteArray& meta,
                               qint64* tableId, QString* error, const QString& uuid) {
    const QString id = uuid.isEmpty() ? QUuid::createUuid().toString() : uuid;
    TsfStatement insert(m_db,
                        "INSERT INTO tbl (uuid, table_uri, table_format, table_meta) VALUES (?,?,?,?);");
    insert.bindText(1, id).bindText(2, TsfLayout::tableUri(tableName, id)).bindText(3, QByteArray(format));
    insert.bindText(4, meta);
    if (!finish(insert, error))
        return false;
    *tableId = m_db.lastInsertRowId();
    return true;
}

bool TsfCatalog::updateTableMeta(qint64 tableId, const QByteArray& meta, QString* error) {
    TsfStatement update(m_db, "UPDATE tbl SET table_meta = ? WHERE id = ?;");
    update.bindText(1, meta).bind(2, tableId);
    return finish(update, error);
}

bool TsfCatalog::readTable(qint64 tableId, TsfTableRow* row, QString* error) {
    TsfStatement query(m_db, "SELECT table_uri, table_format, table_meta FROM tbl WHERE id = ?");
    query.bind(1, tableId);
    if (!query.next()) {
        *error = query.hasError() || !query.isValid()
                     ? query.errorText()
                     : QStringLiteral("Unable to find table with ID %1.").arg(tableId);
        return false;
    }
    row->id = tableId;
    row->uri = query.columnString(0);
    row->format = query.columnString(1);
    row->meta = query.columnText(2);
    return true;
}

bool TsfCatalog::createChunkTable(const QString& tableName, QString* error) {
    return run(withName("DROP TABLE IF EXISTS %1;", tableName), error) &&
           run(withName("CREATE TABLE %1 (chunk_id INTEGER PRIMARY KEY, chunk BLOB);", tableName), error);
}

bool TsfCatalog::insertSource(const TsfSourceRow& row, qint64* sourceId, QString* error) {
    TsfStatement insert(m_db,
                        "INSERT INTO source (name, entity_dim, locus_dim, uuid, curated, docs, source_meta) "
                        "VALUES (?,?,?,?,?,?,?);");
    insert.bindText(1, row.name).bind(2, row.entityDim).bind(3, row.locusDim).bindText(4, row.uuid);
    insert.bindText(5, row.curated).bindText(6, row.docs).bindText(7, row.sourceMeta);
    if (!finish(insert, error))
        return false;
    *sourceId = m_db.lastInsertRowId();
    return true;
}

bool TsfCatalog::updateSourceDims(qint64 sourceId, qint64 entityDim, qint64 locusDim, QString* error) {
    TsfStatement update(m_db, "UPDATE source SET entity_dim = ?, locus_dim = ? WHERE id = ?;");
    update.bind(1, entityDim).bind(2, locusDim).bind(3, sourceId);
    return finish(update, error);
}

bool TsfCatalog::updateSourceName(qint64 sourceId, const QString& name, QString* error) {
    TsfStatement update(m_db, "UPDATE source SET name = ? WHERE id = ?;");
    update.bindText(1, name).bind(2, sourceId);
    return finish(update, error);
}

bool TsfCatalog::updateSourceCurated(qint64 sourceId, const QString& curated, QString* error) {
    TsfStatement update(m_db, "UPDATE source SET curated = ? WHERE id = ?;");
    update.bindText(1, curated).bind(2, sourceId);
    return finish(update, error);
}

bool TsfCatalog::updateSourceDocs(qint64 sourceId, const QByteArray& docs, QString* error) {
    TsfStatement update(m_db, "UPDATE source SET docs = ? WHERE id = ?;");
    update.bindText(1, docs).bind(2, sourceId);
    return finish(update, error);
}

bool TsfCatalog::updateSourceMeta(qint64 sourceId, const QByteArray& sourceMeta, QString* error) {
    TsfStatement update(m_db, "UPDATE source SET source_meta = ? WHERE id = ?;");
    update.bindText(1, sourceMeta).bind(2, sourceId);
    return finish(update, error);
}

bool TsfCatalog::readSources(QVector<TsfSourceRow>* rows, QString* error) {
    TsfStatement query(m_db,
                       "SELECT id, name, entity_dim, locus_dim,uuid, curated, docs, source_meta FROM source");
    rows->clear();
    while (query.next()) {
        TsfSourceRow row;
        row.id = query.columnInt64(0);
        row.name = query.columnString(1);
        row.entityDim = query.columnInt64(2);
        row.locusDim = query.columnInt64(3);
        row.uuid = query.columnString(4);
        row.curated = query.columnString(5);
        row.docs = query.columnText(6);
        row.sourceMeta = query.columnText(7);
        rows->append(row);
    }
    if (query.hasError() || !query.isValid()) {
        *error = query.errorText();
        return false;
    }
    return true;
}

bool TsfCatalog::nextFieldId(qint64 sourceId, qint64* fieldId, QString* error) {
    TsfStatement query(m_db, "SELECT max(field_id) FROM field WHERE source_id = ?");
    query.bind(1, sourceId);
    if (!query.next()) {
        *error = query.errorText();
        return false;
    }
    *fieldId = query.isNull(0) ? 0 : std::max<qint64>(query.columnInt64(0) + 1, 0);
    return true;
}

bool TsfCatalog::insertField(const TsfFieldRow& row, QString* error) {
    TsfStatement insert(m_db,
                        "INSERT INTO field (source_id, field_id, table_id, locus_idx_map, entity_idx_map, "
                        "field_table_idx, field_type, field_meta) VALUES (?,?,?,?,?,?,?,?);");
    insert.bind(1, row.sourceId).bind(2, row.fieldId).bind(3, row.tableId).bindText(4, row.locusIdxMap);
    insert.bindText(5, row.entityIdxMap).bindText(6, row.fieldTableIdx).bindText(7, row.fieldType);
    insert.bindText(8, row.fieldMeta);
    return finish(insert, error);
}

bool TsfCatalog::updateFieldMeta(qint64 sourceId, qint64 fieldId, const QByteArray& fieldMeta,
                                 QString* error) {
    TsfStatement update(m_db, "UPDATE field SET field_meta = ? WHERE source_id = ? AND field_id = ?;");
    update.bindText(1, fieldMeta).bind(2, sourceId).bind(3, fieldId);
    return finish(update, error);
}

bool TsfCatalog::readSchemaFields(qint64 sourceId, QVector<TsfFieldRow>* rows, QString* error) {
    TsfStatement query(m_db,
                       "SELECT field_id, table_id, field_type, field_meta, locus_idx_map, entity_idx_map "
                       "FROM field WHERE source_id = ? AND field_id >= 0;");
    query.bind(1, sourceId);
    rows->clear();
    while (query.next()) {
        TsfFieldRow row;
        row.sourceId = sourceId;
        row.fieldId = query.columnInt64(0);
        row.tableId = query.columnInt64(1);
        row.fieldType = query.columnText(2);
        row.fieldMeta = query.columnText(3);
        row.locusIdxMap = query.columnString(4);
        row.entityIdxMap = query.columnString(5);
        rows->append(row);
    }
    if (query.hasError() || !query.isValid()) {
        *error = query.errorText();
        return false;
    }
    std::stable_sort(rows->begin(), rows->end(),
                     [](const TsfFieldRow& a, const TsfFieldRow& b) { return a.fieldId < b.fieldId; });
    return true;
}

bool TsfCatalog::readField(qint64 sourceId, qint64 fieldId, TsfFieldRow* row, QString* error) {
    TsfStatement query(m_db, "SELECT table_id, locus_idx_map, entity_idx_map, field_table_idx, field_type, "
                             "field_meta FROM field WHERE source_id = ? AND field_id = ?");
    query.bind(1, sourceId).bind(2, fieldId);
    if (!query.next()) {
        *error = query.hasError() || !query.isValid()
                     ? query.errorText()
                     : QStringLiteral("Unable to find field with index %1 for source %2.")
                           .arg(fieldId)
                           .arg(sourceId);
        return false;
    }
    row->sourceId = sourceId;
    row->fieldId = fieldId;
    row->tableId = query.columnInt64(0);
    row->locusIdxMap = query.columnString(1);
    row->entityIdxMap = query.columnString(2);
    row->fieldTableIdx = query.columnString(3);
    row->fieldType = query.columnText(4);
    row->fieldMeta = query.columnText(5);
    return true;
}

bool TsfCatalog::insertIndex(const TsfIndexRow& row, QString* error) {
    TsfStatement insert(m_db, "INSERT INTO idx VALUES (?,?,?,?,?,?)");
    insert.bind(1, row.sourceId).bindText(2, row.fieldId).bindText(3, row.idxType);
    insert.bindText(4, row.queryTableName).bind(5, row.dataTableId).bindText(6, row.idxMeta);
    return finish(insert, error);
}

bool TsfCatalog::readIndexes(qint64 sourceId, QVector<TsfIndexRow>* rows, QString* error) {
    TsfStatement query(m_db,
                       "SELECT field_id, idx_type, query_table_name, data_table_id, idx_meta FROM idx WHERE "
                       "source_id = ?;");
    query.bind(1, sourceId);
    rows->clear();
    while (query.next()) {
        TsfIndexRow row;
        row.sourceId = sourceId;
        row.fieldId = query.columnString(0);
        row.idxType = query.columnString(1);
        row.queryTableName = query.columnString(2);
        row.dataTableId = query.columnInt64(3);
        row.idxMeta = query.columnText(4);
        rows->append(row);
    }
    if (query.hasError() || !query.isValid()) {
        *error = query.errorText();
        return false;
    }
    return true;
}

bool TsfCatalog::createIndexMapTable(const QString& tableName, QString* error) {
    return run(withName("CREATE TABLE %1 (idx INTEGER PRIMARY KEY, id INT);", tableName), error) &&
           run(withName("CREATE INDEX %1_idx on %1 (id);", tableName), error);
}

bool TsfCatalog::createGidxQueryTable(const QString& tableName, QString* error) {
    return run(withName("CREATE TABLE %1 (id INTEGER PRIMARY KEY, min_start INTEGER, max_stop INTEGER, "
                        "field_offset INTEGER, n INTEGER)",
                        tableName),
               error) &&
           run(withName("CREATE INDEX %1_idx ON %1(id, min_start, max_stop)", tableName), error);
}

TsfRowInserter::TsfRowInserter(TsfDatabase& db, Kind kind, const QString& tableName) {
    switch (kind) {
    case Chunk:
        m_insert = TsfStatement(db, withName("INSERT INTO %1 VALUES (?,?)", tableName));
        break;
    case IndexMap:
        m_insert = TsfStatement(db, withName("INSERT INTO %1 (idx, id) VALUES (?,?)", tableName));
        break;
    case GidxBin:
        m_insert = TsfStatement(db, withName("INSERT INTO %1 VALUES (?,?,?,?,?)", tableName));
        break;
    }
}

bool TsfRowInserter::insertChunk(qint64 chunkId, const QByteArray& blob, QString* error) {
    m_insert.bind(1, chunkId).bindBlob(2, blob.constData(), blob.size());
    QString reason;
    if (finish(m_insert, &reason))
        return true;
    *error = QStringLiteral("Failed writing chunk: ") + reason;
    return false;
}

bool TsfRowInserter::insertIndexMap(qint64 idx, qint64 id, QString* error) {
    m_insert.bind(1, idx).bind(2, id);
    return finish(m_insert, error);
}

bool TsfRowInserter::insertGidxBin(qint64 id, qint64 minStart, qint64 maxStop, qint64 fieldOffset, qint64 n,
                                   QString* error) {
    m_insert.bind(1, id).bind(2, minStart).bind(3, maxStop).bind(4, fieldOffset).bind(5, n);
    return finish(m_insert, error);
}
