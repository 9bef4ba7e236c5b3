#pragma once

#include "formats/tsf/TsfSourceResource.h"
#include "formats/tsf/TypedChunkTableReader.h"
#include "source/model/VkFeature.h"
#include "source/readers/VkFieldReader.h"

#include <QHash>
#include <map>
#include <memory>
#include <vector>

class TsfLocusGather;
class TsfMatrixGather;

// The field reader of a TSF source. It opens its own read-only connection and maps each field
// it is asked for to its table reader, column and index maps; table readers are shared by the
// fields that use one table with the same maps. The feature readers fill whole features through
// it: a locus attribute value per record, a matrix value as one vector over the entities (a typed
// array, or a SampleMatrix when each entity holds a list), and entity attribute fields as the
// vector of all entities' values.
class TsfFieldReader : public VkFieldReader {
public:
    explicit TsfFieldReader(VkSourcePtr source);
    ~TsfFieldReader() override;

    // False, with the reason in errorText(), when the database could not be opened.
    bool isOpen() const { return m_db.isOpen(); }

    PVariantVector readValues(qint64 row, int firstField, int endField) override;
    PVariantVector matrixSlice(qint64 row, int field) override;
    PVariant matrixCell(qint64 row, int field, int sample) override;

    // The record's position from the hidden Chr, Start and Stop fields; an empty segment when
    // the source has none.
    bool readSegment(qint64 record, VkSegment* segment, QString* error);
    // The segments of count records, into segments[0, count).
    bool readSegments(const qint64* records, int count, VkSegment* segments, QString* error);
    // A whole feature: its segment and the listed fields (the others stay invalid).
    bool readFeature(qint64 record, const QList<int>& fields, VkFeature* feature, QString* error);
    // The last record the current read will ask for (-1: unknown), so that no chunk past it is
    // read ahead.
    void setLastRecord(qint64 record) { m_lastRecord = record; }
    // Whole features of ascending records, appended to features; matrix fields are gathered for
    // all the records at once.
    bool readFeatures(const qint64* records, int count, const QList<int>& fields, VkFeatureList* features,
                      QString* error);
    // The value a feature carries for a field of the schema.
    bool readFeatureValue(qint64 record, int field, PVariant* value, QString* error);

    // The chunk holding a data-table row of a field's column (ignoring the field's maps); null
    // with the message when the field is not in a chunk table or the chunk cannot be read.
    const TsfValueArray* fieldChunk(int field, qint64 row, int* position, QString* error);
    // A chunk table read row by row (identity map), shared by everything that asks for it.
    std::shared_ptr<TypedChunkTableReader> chunkTable(qint64 tableId, QString* error);
    TsfDatabase& database() { return m_db; }
    const TsfSourceResource& resource() const { return *m_resource; }

private:
    struct FieldAccess {
        std::shared_ptr<TsfTableReader> table;
        TypedChunkTableReader* chunks = nullptr; // the same table when it is a chunk table
        int column = 0;
        VkField field;
        std::shared_ptr<TsfMatrixGather> gather; // matrix fields in a chunk table
        std::shared_ptr<TsfLocusGather> locus;   // locus fields in a chunk table
        QString error;                           // set when the field cannot be read
    };

    FieldAccess* access(qint64 fieldId, QString* error);
    bool resolve(qint64 fieldId, FieldAccess* access);
    std::shared_ptr<TsfTableReader> tableReader(const TsfFieldRow& row, QString* error);
    bool checkDimensions(const TsfFieldRow& row, const QString& tableName, const TsfChunkTableMeta& meta,
                         QString* error) const;
    bool indexMap(const QString& text, TsfIndexMap* map, QString* error);
    bool locusValue(FieldAccess& access, qint64 record, PVariant* value, QString* error);
    bool matrixValue(FieldAccess& access, qint64 record, PVariant* value, QString* error);
    TsfMatrixGather& matrixGather(FieldAccess& access);
    void prefetchMatrixChunks(qint64 firstRecord, const QList<int>& fields);
    bool gatherMatrix(FieldAccess& access, const qint64* rows, int count, PVariant* const* out,
                      QString* error);
    bool gatherLocus(FieldAccess& access, const qint64* rows, int count, PVariant* const* out,
                     QString* error);
    bool entityValues(FieldAccess& access, PVariant* value, QString* error);
    bool cellValue(FieldAccess& access, qint64 row, qint64 entity, PVariant* value, QString* error);
    const FieldAccess* plainField(int field);
    bool positionNumbers(FieldAccess& field, int count, int32_t* numbers, QString* error);

    const TsfSourceResource* m_resource;
    TsfDatabase m_db;
    std::map<qint64, FieldAccess> m_fields;
    QHash<QString, std::shared_ptr<TsfTableReader>> m_tables;
    QHash<qint64, std::shared_ptr<TypedChunkTableReader>> m_chunkTables;
    QHash<int, PVariant> m_entityValues;
    qint64 m_lastRecord = -1;
    std::vector<int32_t> m_positions;   // chromosome codes, starts and stops of the records in hand
    std::vector<qint64> m_positionRows; // their rows in the position fields' table
};
