#include "formats/tsf/TsfTableReader.h"

#include "formats/tsf/TypedChunkTableReader.h"

TsfIndexMap TsfIndexMap::identity() {
    TsfIndexMap map;
    map.m_kind = Kind::Identity;
    return map;
}

TsfIndexMap TsfIndexMap::column(std::shared_ptr<TypedChunkTableReader> table, int column) {
    TsfIndexMap map;
    map.m_kind = Kind::Column;
    map.m_columnTable = std::move(table);
    map.m_column = column;
    return map;
}

TsfIndexMap TsfIndexMap::table(const TsfDatabase& db, const QString& tableName) {
    TsfIndexMap map;
    map.m_kind = Kind::Table;
    map.m_tableName = tableName;
    map.m_lookup = std::make_shared<TsfStatement>(
        db, QStringLiteral("SELECT id FROM %1 WHERE idx = ?").arg(tableName).toUtf8());
    map.m_size = std::make_shared<TsfStatement>(
        db, QStringLiteral("SELECT MAX(idx) FROM %1;").arg(tableName).toUtf8());
    return map;
}

bool TsfIndexMap::map(qint64 index, qint64* row, QString* error) {
    switch (m_kind) {
    case Kind::Identity:
        *row = index;
        return true;
    case Kind::Column: {
        if (index == m_lastIndex) {
            *row = m_lastRow;
            return true;
        }
        int position = 0;
        const TsfValueArray* chunk = m_columnTable->chunkAt(index, m_column, &position, error);
        if (!chunk)
            return false;
        if (chunk->type() != ValueType::Int) {
            *error = QStringLiteral("Index map column %1 does not hold Int values").arg(m_column);
            return false;
        }
        *row = chunk->scalarAt<int32_t>(position);
        m_lastIndex = index;
        m_lastRow = *row;
        return true;
    }
    case Kind::Table: {
        m_lookup->reset();
        m_lookup->bind(1, index);
        if (m_lookup->next()) {
            *row = m_lookup->columnInt64(0);
            return true;
        }
        if (m_lookup->hasError() || !m_lookup->isValid()) {
            *error = m_lookup->errorText();
            return false;
        }
        m_size->reset();
        const qint64 size = m_size->next() && !m_size->isNull(0) ? m_size->columnInt64(0) + 1 : 0;
        *error = QStringLiteral("Index %1 is not among the %2 entries of index map %3")
                     .arg(index)
                     .arg(size)
                     .arg(m_tableName);
        return false;
    }
    case Kind::Unset:
        break;
    }
    *error = QStringLiteral("No index map is set");
    return false;
}
