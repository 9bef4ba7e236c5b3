#pragma once

#include "source/values/PVariantMap.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

// Names, keys and pure rules of the TSF table layout, shared by the writer and the readers.
namespace TsfLayout {

inline constexpr char Provider[] = "Corvane Labs";
inline constexpr int Version = 1;
inline constexpr int MinorVersion = 0;

// `tbl.table_format` texts.
inline constexpr char ChunkTableFormat[] = "chunk_table";
inline constexpr char RawFormat[] = "raw";
inline constexpr char Dsf3ColsFormat[] = "dsf3_cols";
enum class TableFormat { ChunkTable, Raw, Dsf3Cols };
// Classifies a table_format text by the first of the three words it contains; false with
// "Unrecognized table_type " and the text otherwise.
bool classifyTableFormat(const QString& text, TableFormat* format, QString* error);

// Index-map texts of `field.locus_idx_map` and `field.entity_idx_map`.
inline constexpr char IdxIsId[] = "IDX_IS_ID";
inline constexpr char SparseArrayMap[] = "SPARSE_ARRAY";

// `idx.idx_type` texts.
inline constexpr char GenomicIndexType[] = "idx_gidx";
inline constexpr char SparseArrayIndexType[] = "idx_sparse_array";
inline constexpr char LexIndexType[] = "idx_lex_case_insensitive";

// Kinds of data tables, the last part of their names.
inline constexpr char LocusAttrKind[] = "locus_attr_chunks";
inline constexpr char MatrixKind[] = "matrix_chunks";
inline constexpr char EntityAttrKind[] = "entity_attr_chunks";
inline constexpr char SparseArrayKind[] = "sparse_array_chunks";
inline constexpr char GenomicIndexKind[] = "gidx";
inline constexpr char GenomicIndexDataSuffix[] = "_chunks";
// "t" + number + "_" + kind, the number taken from "SELECT max(id) FROM tbl;" at source start.
QString tableName(qint64 number, const char* kind);

// Hidden fields that hold each record's position; their negative ids keep them out of the
// schema. With a genomic index they live in the index's data table behind the reverse map.
inline constexpr int ChrFieldId = -1;
inline constexpr int StartFieldId = -2;
inline constexpr int StopFieldId = -3;
inline constexpr char ChrFieldName[] = "Chr";
inline constexpr char StartFieldName[] = "Start";
inline constexpr char StopFieldName[] = "Stop";
// Columns of the genomic index's data table: positions in bin order, the record index of each
// row in bin order, and each record's row (the reverse map, named by "%1:4").
inline constexpr int GidxChrColumn = 0;
inline constexpr int GidxStartColumn = 1;
inline constexpr int GidxStopColumn = 2;
inline constexpr int GidxRecordColumn = 3;
inline constexpr int GidxReverseColumn = 4;
inline constexpr int GidxColumnCount = 5;

// Source property keys.
inline constexpr char GIdxTableNameKey[] = "GIdxTableName";
inline constexpr char GIdxChunkTableIdKey[] = "GIdxChunkTableId";
inline constexpr char FeaturesInGenomicOrderKey[] = "FeaturesInGenomicOrder";
inline constexpr char StyleTxKey[] = "StyleTx";
inline constexpr char BinSizeKey[] = "binSize";
inline constexpr char SparseArrayDefaultValueKey[] = "SparseArrayDefaultValue";

// `curated` text form.
inline constexpr char CuratedFormat[] = "yyyy-MM-dd hh:mm:ss";

// The key of a chunk: chunk number in the upper 32 bits, column in the lower.
inline qint64 chunkId(qint64 chunkNumber, int column) {
    return (chunkNumber << 32) + column;
}

// "table://this/?table=<name>&uuid=<uuid>".
QString tableUri(const QString& tableName, const QString& uuid);
// The table name of a URI of that form; false with "Only tables in the same file are currently
// supported. Unknown location %1 for table %2", "Missing table query item for table %1" or
// "Unknown table URL format: " and the URI.
bool parseTableUri(const QString& uri, QString* tableName, QString* error);

// Whether a name read from a file may be put into a statement: letters, digits and underscores,
// not starting with a digit.
bool isPlainIdentifier(const QString& name);

// "(\d+):(\d+)" index maps: a table id and an Int column of it.
bool parseColumnMap(const QString& map, qint64* tableId, int* column);
QString columnMap(qint64 tableId, int column);

} // namespace TsfLayout

// `table_meta` of a chunk table.
struct TsfChunkTableMeta {
    qint64 fieldCount = -1;
    qint64 recordCount = -1;
    int chunkBits = -1;

    qint64 chunkSize() const { return qint64(1) << chunkBits; }
    qint64 chunkCount() const { return (recordCount + chunkSize() - 1) >> chunkBits; }
    // Values in a chunk of every column: chunkSize() in all but the last, which holds the rest.
    qint64 valuesInChunk(qint64 chunkNumber) const {
        return std::min(chunkSize(), recordCount - (chunkNumber << chunkBits));
    }
    // {"field_count": ..., "record_count": ..., "chunk_bits": ...} on one line.
    QByteArray toJson() const;
    // False with "Did not find expected field_count, record_count or chunk_bits attribute for
    // table " and the table name when a key is missing, negative or too large for chunk ids
    // (columns and chunk numbers are 32-bit).
    static bool fromJson(const QByteArray& json, const QString& tableName, TsfChunkTableMeta* meta,
                         QString* error);
};
