#pragma once

#include "formats/tsf/TsfDatabase.h"
#include "formats/tsf/TsfLayout.h"

#include <QVector>

// A `tbl` row.
struct TsfTableRow {
    qint64 id = -1;
    QString uuid;
    QString uri;
    QString format;
    QByteArray meta; // JSON
};

// A `source` row.
struct TsfSourceRow {
    qint64 id = -1;
    QString name;
    qint64 entityDim = 0;
    qint64 locusDim = 0;
    QString uuid;
    QString curated;       // "yyyy-MM-dd hh:mm:ss"
    QByteArray docs;       // JSON
    QByteArray sourceMeta; // JSON
};

// A `field` row.
struct TsfFieldRow {
    qint64 sourceId = -1;
    qint64 fieldId = 0;
    qint64 tableId = -1;
    QString locusIdxMap;
    QString entityIdxMap;
    QString fieldTableIdx;
    QByteArray fieldType;
    QByteArray fieldMeta; // JSON
};

// An `idx` row.
struct TsfIndexRow {
    qint64 sourceId = -1;
    QString fieldId;
    QString idxType;
    QString queryTableName;
    qint64 dataTableId = -1;
    QByteArray idxMeta; // JSON
};

// The statements of the TSF catalog tables (meta_data, tbl, source, field, idx) and of the
// chunk, index-map and genomic-index query tables, executed as the format fixes them. Every
// operation returns false with the engine's message on failure. Table names given to the
// creating and inserting operations must be plain identifiers (TsfLayout::isPlainIdentifier).
class TsfCatalog {
public:
    explicit TsfCatalog(TsfDatabase& db) : m_db(db) {}

    // Creates meta_data, tbl, source, field and idx, then writes the format marker.
    bool createTables(QString* error);
    // Rewrites the "TSF" rows of meta_data: provider, version, minor_version.
    bool writeFormatMarker(QString* error);
    // The meta_data rows of table_name "TSF" as name to value; empty when there are none.
    bool readFormatMarker(QVector<QPair<QString, QString>>* rows, QString* error);

    // Data tables.
    // "SELECT max(id) FROM tbl;" (0 for an empty tbl): the number in the names of a new source's tables.
    bool nextTableNumber(qint64* number, QString* error);
    // Inserts a tbl row for the table; a new braced UUID when uuid is empty. Sets *tableId.
    bool registerTable(const QString& tableName, const char* format, const QByteArray& meta, qint64* tableId,
                       QString* error, const QString& uuid = QString());
    bool updateTableMeta(qint64 tableId, const QByteArray& meta, QString* error);
    // False with "Unable to find table with ID %1." when there is no such row.
    bool readTable(qint64 tableId, TsfTableRow* row, QString* error);
    bool createChunkTable(const QString& tableName, QString* error);

    // Sources.
    bool insertSource(const TsfSourceRow& row, qint64* sourceId, QString* error);
    bool updateSourceDims(qint64 sourceId, qint64 entityDim, qint64 locusDim, QString* error);
    bool updateSourceName(qint64 sourceId, const QString& name, QString* error);
    bool updateSourceCurated(qint64 sourceId, const QString& curated, QString* error);
    bool updateSourceDocs(qint64 sourceId, const QByteArray& docs, QString* error);
    bool updateSourceMeta(qint64 sourceId, const QByteArray& sourceMeta, QString* error);
    bool readSources(QVector<TsfSourceRow>* rows, QString* error);

    // Fields.
    // "SELECT max(field_id) FROM field WHERE source_id = ?" plus one (0 for the first field).
    bool nextFieldId(qint64 sourceId, qint64* fieldId, QString* error);
    bool insertField(const TsfFieldRow& row, QString* error);
    bool updateFieldMeta(qint64 sourceId, qint64 fieldId, const QByteArray& fieldMeta, QString* error);
    // The schema fields (field_id >= 0) of a source, in field id order; the columns that load
    // does not read (field_table_idx) stay empty.
    bool readSchemaFields(qint64 sourceId, QVector<TsfFieldRow>* rows, QString* error);
    // One field row, hidden ones included; false with "Unable to find field with index %1 for
    // source %2." when it is missing.
    bool readField(qint64 sourceId, qint64 fieldId, TsfFieldRow* row, QString* error);

    // Indexes.
    bool insertIndex(const TsfIndexRow& row, QString* error);
    bool readIndexes(qint64 sourceId, QVector<TsfIndexRow>* rows, QString* error);

    // Index-map tables: a source index (idx) to a data-table row (id).
    bool createIndexMapTable(const QString& tableName, QString* error);

    // Genomic index query table.
    bool createGidxQueryTable(const QString& tableName, QString* error);

    TsfDatabase& database() { return m_db; }

private:
    bool run(const QByteArray& sql, QString* error);

    TsfDatabase& m_db;
};

// Inserts rows into one table with one prepared statement: chunks ("INSERT INTO %1 VALUES
// (?,?)"), index maps ("INSERT INTO %1 (idx, id) VALUES (?,?)") or genomic bins ("INSERT INTO
// %1 VALUES (?,?,?,?,?)").
class TsfRowInserter {
public:
    enum Kind { Chunk, IndexMap, GidxBin };
    TsfRowInserter(TsfDatabase& db, Kind kind, const QString& tableName);

    // False with "Failed writing chunk: " and the engine's message.
    bool insertChunk(qint64 chunkId, const QByteArray& blob, QString* error);
    bool insertIndexMap(qint64 idx, qint64 id, QString* error);
    bool insertGidxBin(qint64 id, qint64 minStart, qint64 maxStop, qint64 fieldOffset, qint64 n,
                       QString* error);

private:
    TsfStatement m_insert;
};
