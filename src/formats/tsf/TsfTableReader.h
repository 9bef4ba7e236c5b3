#pragma once

#include "formats/tsf/TsfDatabase.h"
#include "source/values/PVariant.h"

#include <memory>

class TypedChunkTableReader;

// How a record index (or an entity index) of a source maps to a row (or column) of a data table:
// the identity ("IDX_IS_ID"), an Int column of a chunk table ("<table id>:<column>"), or an
// index-map table ("SELECT id FROM %1 WHERE idx = ?").
class TsfIndexMap {
public:
    enum class Kind { Unset, Identity, Column, Table };

    TsfIndexMap() = default;
    static TsfIndexMap identity();
    static TsfIndexMap column(std::shared_ptr<TypedChunkTableReader> table, int column);
    // The table name must already be checked as a plain identifier.
    static TsfIndexMap table(const TsfDatabase& db, const QString& tableName);

    Kind kind() const { return m_kind; }
    bool isSet() const { return m_kind != Kind::Unset; }
    bool map(qint64 index, qint64* row, QString* error);

private:
    Kind m_kind = Kind::Unset;
    std::shared_ptr<TypedChunkTableReader> m_columnTable;
    int m_column = 0;
    // The hidden position fields share one map: the last lookup is kept for the next field.
    qint64 m_lastIndex = -1;
    qint64 m_lastRow = 0;
    QString m_tableName;
    std::shared_ptr<TsfStatement> m_lookup;
    std::shared_ptr<TsfStatement> m_size;
};

// A reader of one data table under one pair of index maps, shared by the fields that use both.
class TsfTableReader {
public:
    TsfTableReader(TsfIndexMap locusMap, TsfIndexMap entityMap)
        : m_locusMap(std::move(locusMap)), m_entityMap(std::move(entityMap)) {}
    virtual ~TsfTableReader() = default;

    TsfIndexMap& locusMap() { return m_locusMap; }
    TsfIndexMap& entityMap() { return m_entityMap; }

    // The value at a row and column of the table in the column's stored type; invalid with the
    // message on failure.
    virtual PVariant valueAt(qint64 row, int column, QString* error) = 0;
    virtual qint64 rowCount() const = 0;

private:
    TsfIndexMap m_locusMap;
    TsfIndexMap m_entityMap;
};
