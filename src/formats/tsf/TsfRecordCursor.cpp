#include "formats/tsf/TsfRecordCursor.h"

#include "formats/tsf/TsfFieldReader.h"
#include "formats/tsf/TsfGenomicBins.h"
#include "formats/tsf/TsfIndexReader.h"
#include "source/readers/ReadMode.h"
#include "source/readers/RegionModeCursor.h"

#include <algorithm>

namespace {

// Reads features of a list of records, or of a range when no list is given.
class RecordCursor : public FeatureCursor {
public:
    RecordCursor(std::unique_ptr<TsfFieldReader> reader, std::vector<qint64> records, QList<int> fields)
        : m_reader(std::move(reader)), m_records(std::move(records)), m_fields(std::move(fields)),
          m_count(qint64(m_records.size())) {
        m_reader->setLastRecord(m_records.empty() ? -1 : m_records.back());
        beginRead();
    }
    RecordCursor(std::unique_ptr<TsfFieldReader> reader, qint64 first, qint64 end, QList<int> fields)
        : m_reader(std::move(reader)), m_fields(std::move(fields)), m_first(first),
          m_count(std::max<qint64>(end - first, 0)) {
        m_reader->setLastRecord(m_first + m_count - 1);
        beginRead();
    }

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        const int count = int(std::min<qint64>(maxCount, m_count - m_next));
        if (count <= 0)
            return true;
        const qint64* records = m_records.empty() ? nullptr : m_records.data() + m_next;
        if (!records) {
            m_range.resize(size_t(count));
            for (int j = 0; j < count; ++j)
                m_range[size_t(j)] = m_first + m_next + j;
            records = m_range.data();
        }
        m_next += count;
        if (m_reader->readFeatures(records, count, m_fields, &batch, error))
            return true;
        *error = m_reader->resource().inFile(*error);
        return false;
    }
    bool atEnd() const override { return m_next >= m_count; }
    int percentDone() const override { return m_count ? int(100 * m_next / m_count) : 100; }

    // A region read: reseeks look the new regions up in the genomic index on the same connection,
    // and decoded chunks stay in the shared cache.
    void setRegionMode(bool exact) {
        m_regionRead = true;
        m_exact = exact;
    }
    bool canReseek() const override { return m_regionRead; }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        m_records.clear();
        m_next = m_count = 0;
        if (!TsfRecordCursor::regionRecords(*m_reader, regions, m_exact, &m_records, error))
            return false;
        m_count = qint64(m_records.size());
        m_reader->setLastRecord(m_records.empty() ? -1 : m_records.back());
        return true;
    }

private:
    // One read transaction for the cursor's life: without it every chunk fetched and every query
    // takes and drops the file lock and looks for a journal, a dozen system calls each.
    void beginRead() {
        QString ignored;
        m_reader->database().exec("BEGIN", &ignored);
    }

    std::unique_ptr<TsfFieldReader> m_reader;
    std::vector<qint64> m_records;
    std::vector<qint64> m_range; // records of the current batch of a range read
    QList<int> m_fields;
    qint64 m_first = 0;
    qint64 m_count = 0;
    qint64 m_next = 0;
    bool m_regionRead = false;
    bool m_exact = false;
};

std::unique_ptr<TsfFieldReader> openReader(const VkSourcePtr& source, QString* error) {
    auto reader = std::make_unique<TsfFieldReader>(source);
    if (!reader->isOpen()) {
        *error = reader->errorText();
        return nullptr;
    }
    return reader;
}

struct Run {
    qint64 offset;
    qint64 count;
};

bool binRuns(TsfDatabase& db, const QString& table, int chromosome, const VkSegment& region, bool exact,
             std::vector<Run>* runs, QString* error) {
    if (exact) {
        TsfStatement bin(db,
                         QStringLiteral("SELECT min_start, max_stop, field_offset, n FROM %1 WHERE id = ?")
                             .arg(table)
                             .toUtf8());
        bin.bind(1, qint64(TsfGenomicBins::binId(chromosome,
                                                 TsfGenomicBins::binOf(region.start(), region.stop()))));
        // The bin is used only when its extent holds the query.
        if (bin.next() && bin.columnInt64(0) <= region.start() && bin.columnInt64(1) >= region.stop())
            runs->push_back(Run{bin.columnInt64(2), bin.columnInt64(3)});
        *error = bin.errorText();
        return error->isEmpty();
    }
    TsfStatement overlap(db,
                         QStringLiteral("SELECT field_offset, n FROM %1 WHERE id = ? AND min_start <= ? AND "
                                        "max_stop >= ?")
                             .arg(table)
                             .toUtf8());
    const qint64 end = std::max<qint64>(qint64(region.stop()) - 1, 0);
    for (int bin : TsfGenomicBins::overlappingBins(region.start(), end)) {
        overlap.reset();
        overlap.bind(1, qint64(TsfGenomicBins::binId(chromosome, bin))).bind(2, qint64(region.stop()));
        overlap.bind(3, qint64(region.start()));
        while (overlap.next())
            runs->push_back(Run{overlap.columnInt64(0), overlap.columnInt64(1)});
        if (overlap.hasError() || !overlap.isValid()) {
            *error = overlap.errorText();
            return false;
        }
    }
    return true;
}

int32_t intAt(TypedChunkTableReader& table, qint64 row, int column, QString* error, bool* ok) {
    int position = 0;
    const TsfValueArray* chunk = table.chunkAt(row, column, &position, error);
    *ok = chunk && chunk->type() == ValueType::Int;
    if (chunk && !*ok)
        *error = QStringLiteral("Genomic index column %1 does not hold Int values").arg(column);
    return *ok ? chunk->scalarAt<int32_t>(position) : 0;
}

} // namespace

namespace TsfRecordCursor {

bool regionRecords(TsfFieldReader& reader, const QList<VkSegment>& regions, bool exact,
                   std::vector<qint64>* records, QString* error) {
    const TsfSourceResource& resource = reader.resource();
    if (!resource.hasGenomicIndex()) {
        *error = QStringLiteral("Source does not have a genomic index computed");
        return false;
    }
    if (!TsfLayout::isPlainIdentifier(resource.gidxQueryTable)) {
        *error = QStringLiteral("Invalid table or column name %1").arg(resource.gidxQueryTable);
        return false;
    }
    std::shared_ptr<TypedChunkTableReader> data = reader.chunkTable(resource.gidxDataTableId, error);
    if (!data) {
        *error = resource.inFile(*error);
        return false;
    }
    const int mode = exact ? Vk::Exact : Vk::Overlap;
    for (const VkSegment& region : regions) {
        const int chromosome = resource.chromosomeIndex.value(region.chromosome(), -1);
        std::vector<Run> runs;
        if (chromosome < 0)
            continue;
        if (!binRuns(reader.database(), resource.gidxQueryTable, chromosome, region, exact, &runs, error))
            return false;
        for (const Run& run : runs) {
            for (qint64 row = run.offset; row < run.offset + run.count; ++row) {
                bool ok = false;
                const int32_t start = intAt(*data, row, TsfLayout::GidxStartColumn, error, &ok);
                const int32_t stop = ok ? intAt(*data, row, TsfLayout::GidxStopColumn, error, &ok) : 0;
                const int32_t record = ok ? intAt(*data, row, TsfLayout::GidxRecordColumn, error, &ok) : 0;
                if (!ok) {
                    *error = resource.inFile(*error);
                    return false;
                }
                if (Vk::matches(VkSegment(region.chromosome(), start, stop), region, mode))
                    records->push_back(record);
            }
        }
    }
    std::sort(records->begin(), records->end());
    records->erase(std::unique(records->begin(), records->end()), records->end());
    return true;
}

namespace {

FeatureCursorPtr openRegions(const VkSourcePtr& source, const QList<VkSegment>& regions,
                             const QList<int>& fields, bool exact, QString* error) {
    std::unique_ptr<TsfFieldReader> reader = openReader(source, error);
    std::vector<qint64> records;
    if (!reader || !regionRecords(*reader, regions, exact, &records, error))
        return nullptr;
    auto cursor = std::make_unique<RecordCursor>(std::move(reader), std::move(records), fields);
    cursor->setRegionMode(exact);
    return cursor;
}

FeatureCursorPtr openSequential(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                QString* error) {
    std::unique_ptr<TsfFieldReader> reader = openReader(source, error);
    if (!reader)
        return nullptr;
    const qint64 count = reader->resource().locusCount;
    return std::make_unique<RecordCursor>(std::move(reader), std::max<qint64>(offset, 0), count, fields);
}

FeatureCursorPtr openIds(const VkSourcePtr& source, const QList<qint64>& ids, const QList<int>& fields,
                         QString* error) {
    std::unique_ptr<TsfFieldReader> reader = openReader(source, error);
    if (!reader)
        return nullptr;
    const qint64 count = reader->resource().locusCount;
    std::vector<qint64> records;
    for (qint64 id : ids)
        if (id >= 0 && id < count)
            records.push_back(id);
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return std::make_unique<RecordCursor>(std::move(reader), std::move(records), fields);
}

FeatureCursorPtr openPrefix(const VkSourcePtr& source, const QString& prefix, const QList<VkSegment>& regions,
                            const QList<int>& fields, QString* error) {
    std::unique_ptr<TsfFieldReader> reader = openReader(source, error);
    if (!reader)
        return nullptr;
    if (reader->resource().fieldIndexes.isEmpty()) {
        *error = QStringLiteral("No fields are indexed in this TSF file");
        return nullptr;
    }
    TsfIndexReader index(*reader);
    const QList<int> searchable = index.searchableFields(fields);
    if (searchable.isEmpty()) {
        *error = QStringLiteral("No fields in source are searchable or match provided fieldList");
        return nullptr;
    }
    std::vector<qint64> records;
    QString reason;
    if (!index.search(prefix, regions, searchable, &records, &reason)) {
        *error = QStringLiteral("Unable setup up a prefix search transform: ") + reason;
        return nullptr;
    }
    return std::make_unique<RecordCursor>(std::move(reader), std::move(records), fields);
}

} // namespace

FeatureCursorPtr open(const VkSourcePtr& source, const ReadRequest& request, QString* error) {
    switch (request.kind) {
    case ReadRequest::Offset:
        return openSequential(source, request.offset, request.fieldList, error);
    case ReadRequest::Ids:
        return openIds(source, request.ids, request.fieldList, error);
    case ReadRequest::Prefix:
        return openPrefix(source, request.prefix, request.regions, request.fieldList, error);
    case ReadRequest::Region:
        break;
    }
    switch (request.mode) {
    case Vk::Exact:
        return openRegions(source, request.regions, request.fieldList, true, error);
    case Vk::Overlap:
        return openRegions(source, request.regions, request.fieldList, false, error);
    case Vk::Within: {
        FeatureCursorPtr overlapping = openRegions(source, request.regions, request.fieldList, false, error);
        if (!overlapping)
            return nullptr;
        return std::make_unique<RegionModeCursor>(std::move(overlapping), request.regions, request.mode);
    }
    default:
        *error = QStringLiteral("Unsupported read mode");
        return nullptr;
    }
}

} // namespace TsfRecordCursor
