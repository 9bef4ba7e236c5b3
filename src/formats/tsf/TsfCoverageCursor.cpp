#include "formats/tsf/TsfCoverageCursor.h"

#include "formats/tsf/TsfFieldReader.h"
#include "meta/Json.h"
#include "source/readers/ReadMode.h"
#include "source/readers/RegionModeCursor.h"

#include <algorithm>

namespace {

struct StoredBin {
    int chromosome;
    int64_t bin;
    int64_t chunk;
    bool operator<(const StoredBin& other) const {
        return chromosome != other.chromosome ? chromosome < other.chromosome : bin < other.bin;
    }
    bool operator==(const StoredBin& other) const {
        return chromosome == other.chromosome && bin == other.bin;
    }
};

template <class T> PVariant typedSpan(const TsfValueArray& chunk, int count) {
    QVector<T> values(count);
    if (count > 0)
        std::memcpy(values.data(), chunk.bytes().data(), size_t(count) * sizeof(T));
    return PVariant(values);
}

// The per-base values of the first count positions of a bin's chunk.
PVariant spanValue(const TsfValueArray& chunk, int count) {
    count = std::min(count, chunk.size());
    switch (chunk.type()) {
    case ValueType::Int:
        return typedSpan<int32_t>(chunk, count);
    case ValueType::Float:
        return typedSpan<float>(chunk, count);
    case ValueType::Float64:
        return typedSpan<double>(chunk, count);
    case ValueType::Bool:
        return typedSpan<uint8_t>(chunk, count);
    case ValueType::Character:
        return PVariant(QByteArray(reinterpret_cast<const char*>(chunk.bytes().data()), count));
    default: {
        PVariantVector values(count);
        for (int i = 0; i < count; ++i)
            values[i] = chunk.valueAt(i);
        return PVariant(values);
    }
    }
}

class CoverageCursor : public FeatureCursor {
public:
    CoverageCursor(std::unique_ptr<TsfFieldReader> reader, TsfSparseArrayLayout layout,
                   std::vector<StoredBin> bins, QList<int> fields)
        : m_reader(std::move(reader)), m_layout(std::move(layout)), m_bins(std::move(bins)),
          m_fields(std::move(fields)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        const int fieldCount = m_reader->resource().fieldRows.size();
        for (int n = 0; n < maxCount && !atEnd(); ++n, ++m_next) {
            const StoredBin& stored = m_bins[m_next];
            const TsfSparseArrayLayout::Chromosome& chromosome = m_layout.chromosomes.at(stored.chromosome);
            const int64_t start = stored.bin * m_layout.binSize;
            const int64_t stop = std::min<int64_t>(start + m_layout.binSize, chromosome.length);
            PVariantVector values(fieldCount);
            for (int field : m_fields) {
                if (field < 0 || field >= fieldCount)
                    continue;
                int position = 0;
                const TsfValueArray* chunk =
                    m_reader->fieldChunk(field, stored.chunk << m_layout.chunkBits(), &position, error);
                if (!chunk) {
                    *error = m_reader->resource().inFile(*error);
                    return false;
                }
                values[field] = spanValue(*chunk, int(std::max<int64_t>(stop - start, 0)));
            }
            batch.append(VkFeature(VkSegment(chromosome.name, int32_t(start), int32_t(stop)), values));
        }
        return true;
    }
    bool atEnd() const override { return m_next >= m_bins.size(); }
    int percentDone() const override { return m_bins.empty() ? 100 : int(100 * m_next / m_bins.size()); }

private:
    std::unique_ptr<TsfFieldReader> m_reader;
    TsfSparseArrayLayout m_layout;
    std::vector<StoredBin> m_bins;
    QList<int> m_fields;
    size_t m_next = 0;
};

// The writer numbers stored bins one after another: the runs, in order, must cover the chunks
// of the bins' table exactly once, with each chromosome's bins ascending. Anything else would
// read chunks the table does not have, or make a cursor list bins without end.
bool checkRuns(const TsfSparseArrayLayout& layout, qint64 chunkCount, QString* error) {
    qint64 nextChunk = 0;
    for (const TsfSparseArrayLayout::Chromosome& chromosome : layout.chromosomes) {
        int64_t nextBin = 0;
        for (const TsfSparseArrayLayout::Run& run : chromosome.runs) {
            if (run.firstChunk != nextChunk || run.firstBin < nextBin || run.binCount <= 0 ||
                run.binCount > chunkCount - nextChunk) {
                *error =
                    QStringLiteral("The sparse array runs of %1 do not match the %2 chunks of their table")
                        .arg(QString::fromUtf8(chromosome.name))
                        .arg(chunkCount);
                return false;
            }
            nextChunk += run.binCount;
            nextBin = run.firstBin + run.binCount;
        }
    }
    if (nextChunk == chunkCount)
        return true;
    *error = QStringLiteral("The sparse array runs cover %1 chunks where their table has %2")
                 .arg(nextChunk)
                 .arg(chunkCount);
    return false;
}

std::unique_ptr<TsfFieldReader> openReader(const VkSourcePtr& source, TsfSparseArrayLayout* layout,
                                           QString* error) {
    auto reader = std::make_unique<TsfFieldReader>(source);
    if (!reader->isOpen()) {
        *error = reader->errorText();
        return nullptr;
    }
    return TsfCoverageCursor::loadLayout(*reader, layout, error) ? std::move(reader) : nullptr;
}

} // namespace

namespace TsfCoverageCursor {

bool loadLayout(TsfFieldReader& reader, TsfSparseArrayLayout* layout, QString* error) {
    TsfStatement query(reader.database(),
                       "SELECT idx_meta FROM idx WHERE source_id = ? AND idx_type = 'idx_sparse_array'");
    query.bind(1, reader.resource().sourceId);
    if (!query.next()) {
        *error = QStringLiteral("No idx_sparse_array index provided for full coverage source");
        return false;
    }
    PVariant meta;
    if (!Json::read(query.columnText(0), meta, error))
        return false;
    if (!TsfSparseArrayLayout::fromMap(meta.map(), layout, error))
        return false;
    const std::shared_ptr<TypedChunkTableReader> bins =
        reader.chunkTable(reader.resource().sparseArrayTableId, error);
    return bins && checkRuns(*layout, bins->meta().chunkCount(), error);
}

namespace {

FeatureCursorPtr openSequential(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                QString* error) {
    TsfSparseArrayLayout layout;
    std::unique_ptr<TsfFieldReader> reader = openReader(source, &layout, error);
    if (!reader)
        return nullptr;
    std::vector<StoredBin> bins;
    for (int c = 0; c < layout.chromosomes.size(); ++c)
        for (const TsfSparseArrayLayout::Run& run : layout.chromosomes.at(c).runs)
            for (int64_t i = 0; i < run.binCount; ++i)
                bins.push_back(StoredBin{c, run.firstBin + i, run.firstChunk + i});
    bins.erase(bins.begin(),
               bins.begin() + std::min<qint64>(std::max<qint64>(offset, 0), qint64(bins.size())));
    return std::make_unique<CoverageCursor>(std::move(reader), std::move(layout), std::move(bins), fields);
}

FeatureCursorPtr openRegions(const VkSourcePtr& source, const QList<VkSegment>& regions,
                             const QList<int>& fields, QString* error) {
    TsfSparseArrayLayout layout;
    std::unique_ptr<TsfFieldReader> reader = openReader(source, &layout, error);
    if (!reader)
        return nullptr;
    std::vector<StoredBin> bins;
    for (const VkSegment& region : regions) {
        for (int c = 0; c < layout.chromosomes.size(); ++c) {
            const TsfSparseArrayLayout::Chromosome& chromosome = layout.chromosomes.at(c);
            if (chromosome.name != region.chromosome() || region.isEmpty())
                continue;
            const int64_t last = std::min<int64_t>(region.stop(), chromosome.length) - 1;
            for (int64_t bin = std::max(region.start(), 0) / layout.binSize; bin * layout.binSize <= last;
                 ++bin) {
                const int64_t chunk = TsfSparseArrayLayout::chunkOf(chromosome, bin);
                if (chunk >= 0)
                    bins.push_back(StoredBin{c, bin, chunk});
            }
        }
    }
    std::sort(bins.begin(), bins.end());
    bins.erase(std::unique(bins.begin(), bins.end()), bins.end());
    return std::make_unique<CoverageCursor>(std::move(reader), std::move(layout), std::move(bins), fields);
}

} // namespace

FeatureCursorPtr open(const VkSourcePtr& source, const ReadRequest& request, QString* error) {
    switch (request.kind) {
    case ReadRequest::Offset:
        return openSequential(source, request.offset, request.fieldList, error);
    case ReadRequest::Region: {
        FeatureCursorPtr overlapping = openRegions(source, request.regions, request.fieldList, error);
        if (!overlapping || request.mode == Vk::Overlap)
            return overlapping;
        return std::make_unique<RegionModeCursor>(std::move(overlapping), request.regions, request.mode);
    }
    case ReadRequest::Ids:
        *error = QStringLiteral("Cannot read by ID list for full-coverage sources");
        return nullptr;
    case ReadRequest::Prefix:
        break;
    }
    *error = QStringLiteral("No fields in source are searchable or match provided fieldList");
    return nullptr;
}

} // namespace TsfCoverageCursor
