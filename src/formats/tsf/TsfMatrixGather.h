#pragma once

#include "formats/tsf/TsfValueArray.h"
#include "source/values/TextCache.h"

#include <QByteArray>
#include <QString>
#include <vector>

class TypedChunkTableReader;
class TsfIndexMap;

// Builds the vectors features carry for one matrix field: per record, one value (or one list) per
// entity, gathered across the entity columns of the field's chunk table. Chunks are stored one
// entity column at a time, so reading them record by record would jump between hundreds of
// columns for every value; instead the records of a run are filled entity by entity, each
// column read front to back, while the run's output vectors stay in cache. The chunks of all
// entities for one chunk number are fetched together, and the next chunk number is prefetched.
class TsfMatrixGather {
public:
    TsfMatrixGather(QByteArray fieldName, ValueType stored, int entities);

    // Sets *out[j] to the vector at rows[j] for j < count; rows must be ascending table rows.
    // lastRow is the last row the read will reach (-1: unknown); the chunks after the current
    // ones are prefetched only when the read goes that far. False with the message when a chunk
    // cannot be read or holds another type or too few values.
    bool gather(TypedChunkTableReader& table, TsfIndexMap& entityMap, const qint64* rows, int count,
                qint64 lastRow, PVariant* const* out, QString* error);
    // Starts decoding, on the prefetch threads, the entity chunks of a chunk number the next
    // gather will load, unless they are the ones in hand. Failures are left to that gather.
    void prefetchChunks(TypedChunkTableReader& table, TsfIndexMap& entityMap, qint64 chunkNumber);

private:
    // Consecutive rows in one chunk number, with that chunk number's entity chunks.
    struct Run {
        int first;
        int count;
        std::vector<TsfValueArrayPtr> chunks;
    };

    bool load(TypedChunkTableReader& table, TsfIndexMap& entityMap, qint64 chunkNumber, qint64 lastRow,
              QString* error);
    bool mapColumns(TsfIndexMap& entityMap, QString* error);
    // Fills the outputs of a run of rows, and of count rows of a run at its positions.
    void fillRun(const Run& run, PVariant* const* out);
    void fillBlock(const Run& run, const int* positions, int count, PVariant* const* out);
    template <class T>
    void scalars(const Run& run, const int* positions, int count, PVariant* const* out) const;
    template <class T> void arrays(const Run& run, const int* positions, int count, PVariant* const* out);
    QVector<int32_t> sharedOffsets(const int32_t* offsets);
    void strings(const Run& run, const int* positions, int count, PVariant* const* out);
    void others(const Run& run, const int* positions, int count, PVariant* const* out) const;

    QByteArray m_fieldName;
    ValueType m_stored;
    int m_entities;
    std::vector<int> m_columns; // table column of each entity
    qint64 m_chunkNumber = -1;
    int m_chunkBits = 0;
    int m_chunkValues = 0; // values in the smallest current chunk
    std::vector<TsfValueArrayPtr> m_chunks;
    TextCache m_texts;            // genotype-like texts repeat across entities and records
    std::vector<int> m_positions; // positions of the rows being gathered in their chunks
    std::vector<Run> m_runs;
    std::vector<int32_t> m_offsets; // item offsets of the records being filled, entities + 1 each
    QVector<int32_t> m_lastOffsets; // the offsets last handed out
};
