#include "formats/tsf/TsfMatrixGather.h"

#include "formats/tsf/TypedChunkTableReader.h"
#include "source/values/SampleMatrix.h"

#include <algorithm>
#include <cstring>

namespace {

// count vectors of size elements each, every one with its own buffer.
template <class T> std::vector<QVector<T>> sized(int count, int size) {
    std::vector<QVector<T>> vectors;
    vectors.reserve(size_t(count));
    for (int j = 0; j < count; ++j)
        vectors.emplace_back(size);
    return vectors;
}

// Asks for the lines of a stretch of memory ahead of use: the lists of the next entity's column
// are fetched while this one's are copied (a stretch of a dozen lines, too short for the
// hardware to notice before it ends).
void prefetch(const void* begin, size_t bytes) {
    const char* at = static_cast<const char*>(begin);
    for (size_t offset = 0; offset < bytes; offset += 64)
        __builtin_prefetch(at + offset);
}

} // namespace

TsfMatrixGather::TsfMatrixGather(QByteArray fieldName, ValueType stored, int entities)
    : m_fieldName(std::move(fieldName)), m_stored(stored), m_entities(std::max(entities, 0)),
      m_chunks(size_t(m_entities)) {}

bool TsfMatrixGather::mapColumns(TsfIndexMap& entityMap, QString* error) {
    m_columns.resize(size_t(m_entities));
    for (int e = 0; e < m_entities; ++e) {
        qint64 column = e;
        if (entityMap.kind() != TsfIndexMap::Kind::Identity && !entityMap.map(e, &column, error))
            return false;
        m_columns[size_t(e)] = int(column);
    }
    return true;
}

bool TsfMatrixGather::load(TypedChunkTableReader& table, TsfIndexMap& entityMap, qint64 chunkNumber,
                           qint64 lastRow, QString* error) {
    if (chunkNumber == m_chunkNumber)
        return true;
    if (m_columns.size() != size_t(m_entities) && !mapColumns(entityMap, error))
        return false;
    m_chunkNumber = -1;
    m_chunkValues = int(table.meta().chunkSize());
    for (int e = 0; e < m_entities; ++e) {
        TsfValueArrayPtr chunk = table.chunk(chunkNumber, m_columns[size_t(e)], error);
        if (!chunk)
            return false;
        if (chunk->type() != m_stored) {
            *error = QStringLiteral("Matrix field %1 holds chunks of type %2")
                         .arg(QString::fromUtf8(m_fieldName), ValueTypes::name(chunk->type()));
            return false;
        }
        m_chunkValues = std::min(m_chunkValues, chunk->size());
        m_chunks[size_t(e)] = std::move(chunk);
    }
    m_chunkNumber = chunkNumber;
    if (lastRow < 0 || lastRow >> m_chunkBits > chunkNumber)
        table.prefetch(chunkNumber + 1, m_columns);
    return true;
}

void TsfMatrixGather::prefetchChunks(TypedChunkTableReader& table, TsfIndexMap& entityMap,
                                     qint64 chunkNumber) {
    QString ignored;
    if (chunkNumber == m_chunkNumber ||
        (m_columns.size() != size_t(m_entities) && !mapColumns(entityMap, &ignored)))
        return;
    table.prefetch(chunkNumber, m_columns);
}

bool TsfMatrixGather::gather(TypedChunkTableReader& table, TsfIndexMap& entityMap, const qint64* rows,
                             int count, qint64 lastRow, PVariant* const* out, QString* error) {
    m_chunkBits = table.meta().chunkBits;
    m_runs.clear();
    m_positions.resize(static_cast<size_t>(count));
    const qint64 mask = (qint64(1) << m_chunkBits) - 1;
    for (int first = 0; first < count;) {
        const qint64 chunkNumber = rows[first] >> m_chunkBits;
        int end = first + 1;
        while (end < count && rows[end] >> m_chunkBits == chunkNumber)
            ++end;
        if (!load(table, entityMap, chunkNumber, lastRow, error))
            return false;
        for (int j = first; j < end; ++j) {
            const int position = int(rows[j] & mask);
            if (position >= m_chunkValues) {
                *error = QStringLiteral("Error reading chunk: chunk %1 of matrix field %2 holds %3 values")
                             .arg(chunkNumber)
                             .arg(QString::fromUtf8(m_fieldName))
                             .arg(m_chunkValues);
                return false;
            }
            m_positions[size_t(j)] = position;
        }
        m_runs.push_back(Run{first, end - first, m_chunks});
        first = end;
    }
    for (const Run& run : m_runs)
        fillRun(run, out + run.first);
    return true;
}

// Records are filled in blocks, each entity column by entity column: the block's output vectors
// and the stretch of each column they read stay in the first-level cache and its address
// translations. (Record by record, every value would come from another of the entities' chunks;
// a whole run at once writes to more vectors than that cache holds.)
void TsfMatrixGather::fillRun(const Run& run, PVariant* const* out) {
    constexpr int BlockRecords = 64;
    for (int first = 0; first < run.count; first += BlockRecords)
        fillBlock(run, m_positions.data() + run.first + first, std::min(BlockRecords, run.count - first),
                  out + first);
}

void TsfMatrixGather::fillBlock(const Run& run, const int* positions, int count, PVariant* const* out) {
    switch (m_stored) {
    case ValueType::Int:
        return scalars<int32_t>(run, positions, count, out);
    case ValueType::Float:
        return scalars<float>(run, positions, count, out);
    case ValueType::Float64:
        return scalars<double>(run, positions, count, out);
    case ValueType::Bool:
        return scalars<uint8_t>(run, positions, count, out);
    case ValueType::String:
        return strings(run, positions, count, out);
    case ValueType::IntArray:
        return arrays<int32_t>(run, positions, count, out);
    case ValueType::FloatArray:
        return arrays<float>(run, positions, count, out);
    case ValueType::Float64Array:
        return arrays<double>(run, positions, count, out);
    case ValueType::BoolArray:
        return arrays<uint8_t>(run, positions, count, out);
    default:
        return others(run, positions, count, out);
    }
}

template <class T>
void TsfMatrixGather::scalars(const Run& run, const int* positions, int count, PVariant* const* out) const {
    std::vector<QVector<T>> vectors = sized<T>(count, m_entities);
    std::vector<T*> targets(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j)
        targets[size_t(j)] = vectors[size_t(j)].data();
    for (int e = 0; e < m_entities; ++e) {
        const uint8_t* column = run.chunks[size_t(e)]->bytes().data();
        for (int j = 0; j < count; ++j)
            std::memcpy(targets[size_t(j)] + e, column + size_t(positions[j]) * sizeof(T), sizeof(T));
    }
    for (int j = 0; j < count; ++j)
        *out[j] = PVariant(std::move(vectors[size_t(j)]));
}

template <class T>
void TsfMatrixGather::arrays(const Run& run, const int* positions, int count, PVariant* const* out) {
    // Item counts of every entity first, then the items, both column by column.
    const size_t width = size_t(m_entities) + 1;
    m_offsets.resize(size_t(count) * width);
    for (int j = 0; j < count; ++j)
        m_offsets[size_t(j) * width] = 0;
    const int first = positions[0];
    const int last = positions[count - 1];
    for (int e = 0; e < m_entities; ++e) {
        const uint32_t* itemOffsets = run.chunks[size_t(e)]->offsets().data();
        if (e + 1 < m_entities)
            prefetch(run.chunks[size_t(e) + 1]->offsets().data() + first, size_t(last - first + 2) * 4);
        int32_t* counts = m_offsets.data() + e + 1;
        for (int j = 0; j < count; ++j) {
            const int position = positions[j];
            counts[size_t(j) * width] = int32_t(itemOffsets[position + 1] - itemOffsets[position]);
        }
    }
    std::vector<QVector<T>> items(static_cast<size_t>(count));
    std::vector<T*> targets(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j) {
        int32_t* offset = m_offsets.data() + size_t(j) * width;
        for (int e = 0; e < m_entities; ++e)
            offset[e + 1] += offset[e];
        items[size_t(j)] = QVector<T>(offset[m_entities]);
        targets[size_t(j)] = items[size_t(j)].data();
    }
    for (int e = 0; e < m_entities; ++e) {
        const TsfValueArray& chunk = *run.chunks[size_t(e)];
        const T* base = reinterpret_cast<const T*>(chunk.bytes().data());
        const uint32_t* itemOffsets = chunk.offsets().data();
        if (e + 1 < m_entities) {
            const TsfValueArray& next = *run.chunks[size_t(e) + 1];
            const uint32_t* nextOffsets = next.offsets().data();
            prefetch(reinterpret_cast<const T*>(next.bytes().data()) + nextOffsets[first],
                     size_t(nextOffsets[last + 1] - nextOffsets[first]) * sizeof(T));
        }
        const int32_t* offset = m_offsets.data() + e;
        for (int j = 0; j < count; ++j, offset += width) {
            // Lists per entity are short (a few depths or likelihoods): a loop beats a memcpy call.
            const T* from = base + itemOffsets[positions[j]];
            T* to = targets[size_t(j)] + offset[0];
            for (int32_t k = 0, n = offset[1] - offset[0]; k < n; ++k)
                to[k] = from[k];
        }
    }
    for (int j = 0; j < count; ++j)
        *out[j] = PVariant(SampleMatrix(PVariant(std::move(items[size_t(j)])),
                                        sharedOffsets(m_offsets.data() + size_t(j) * width)));
}

// Records of one place in a file mostly have as many items per entity as the one before (two
// depths and three likelihoods per sample, say): they share one offsets vector.
QVector<int32_t> TsfMatrixGather::sharedOffsets(const int32_t* offsets) {
    const size_t bytes = (size_t(m_entities) + 1) * sizeof(int32_t);
    if (m_lastOffsets.size() != m_entities + 1 ||
        std::memcmp(m_lastOffsets.constData(), offsets, bytes) != 0) {
        m_lastOffsets = QVector<int32_t>(m_entities + 1);
        std::memcpy(m_lastOffsets.data(), offsets, bytes);
    }
    return m_lastOffsets;
}

void TsfMatrixGather::strings(const Run& run, const int* positions, int count, PVariant* const* out) {
    std::vector<QVector<QByteArray>> vectors = sized<QByteArray>(count, m_entities);
    std::vector<QByteArray*> targets(static_cast<size_t>(count));
    for (int j = 0; j < count; ++j)
        targets[size_t(j)] = vectors[size_t(j)].data();
    for (int e = 0; e < m_entities; ++e) {
        const TsfValueArray& chunk = *run.chunks[size_t(e)];
        for (int j = 0; j < count; ++j)
            targets[size_t(j)][e] =
                m_texts.text(chunk.stringData(positions[j]), chunk.stringSize(positions[j]));
    }
    for (int j = 0; j < count; ++j)
        *out[j] = PVariant(std::move(vectors[size_t(j)]));
}

void TsfMatrixGather::others(const Run& run, const int* positions, int count, PVariant* const* out) const {
    for (int j = 0; j < count; ++j) {
        const int position = positions[j];
        if (m_stored == ValueType::StringArray) {
            QVector<int32_t> offsets{0};
            QVector<QByteArray> strings;
            for (int e = 0; e < m_entities; ++e) {
                const TsfValueArray& chunk = *run.chunks[size_t(e)];
                for (int k = 0; k < chunk.arrayCount(position); ++k)
                    strings.append(chunk.arrayString(position, k));
                offsets.append(strings.size());
            }
            *out[j] = PVariant(SampleMatrix(PVariant(std::move(strings)), std::move(offsets)));
            continue;
        }
        PVariantVector values(m_entities);
        for (int e = 0; e < m_entities; ++e)
            values[e] = run.chunks[size_t(e)]->valueAt(position);
        *out[j] = PVariant(std::move(values));
    }
}
