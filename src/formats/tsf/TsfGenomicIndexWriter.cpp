#include "formats/tsf/TsfGenomicIndexWriter.h"

#include "formats/tsf/TsfChunkTableWriter.h"
#include "formats/tsf/TsfGenomicBins.h"
#include "formats/tsf/TsfSourceRecords.h"

#include <algorithm>
#include <numeric>

namespace {

// Records per chunk of the index's data table: small enough that a region query decodes little.
constexpr int DataChunkBits = 12;

VkField chrField(const QVector<QByteArray>& chromosomeNames) {
    VkField field(TsfLayout::ChrFieldId, TsfLayout::ChrFieldName, QByteArray(), ValueType::Categorical);
    field.enumNames = chromosomeNames;
    for (int i = 0; i < chromosomeNames.size(); ++i)
        field.enumValues.append(i);
    return field;
}

} // namespace

TsfGenomicIndexWriter::TsfGenomicIndexWriter(TsfCatalog& catalog, qint64 sourceId, qint64 tableNumber)
    : m_catalog(catalog), m_sourceId(sourceId),
      m_dataTableName(TsfLayout::tableName(tableNumber, TsfLayout::GenomicIndexKind) +
                      QLatin1String(TsfLayout::GenomicIndexDataSuffix)),
      m_queryTableName(TsfLayout::tableName(tableNumber, TsfLayout::GenomicIndexKind)) {}

bool TsfGenomicIndexWriter::begin(QString* error) {
    TsfChunkTableMeta meta;
    meta.fieldCount = TsfLayout::GidxColumnCount;
    meta.recordCount = 0;
    meta.chunkBits = DataChunkBits;
    if (!m_catalog.createChunkTable(m_dataTableName, error) ||
        !m_catalog.registerTable(m_dataTableName, TsfLayout::ChunkTableFormat, meta.toJson(), &m_dataTableId,
                                 error))
        return false;
    const VkField fields[] = {
        chrField({}),
        VkField(TsfLayout::StartFieldId, TsfLayout::StartFieldName, QByteArray(), ValueType::Int),
        VkField(TsfLayout::StopFieldId, TsfLayout::StopFieldName, QByteArray(), ValueType::Int)};
    for (int column = 0; column < 3; ++column) {
        TsfFieldRow row;
        row.sourceId = m_sourceId;
        row.fieldId = fields[column].idx;
        row.tableId = m_dataTableId;
        row.locusIdxMap = TsfLayout::columnMap(m_dataTableId, TsfLayout::GidxReverseColumn);
        row.fieldTableIdx = QString::number(column);
        row.fieldType = TsfChunkCodec::typeCode(fields[column].valueType);
        row.fieldMeta = TsfSourceRecords::fieldMeta(fields[column]);
        if (!m_catalog.insertField(row, error))
            return false;
    }
    return true;
}

void TsfGenomicIndexWriter::addRecord(int chromosomeIndex, int32_t start, int32_t stop) {
    m_chromosomes.push_back(chromosomeIndex);
    m_starts.push_back(start);
    m_stops.push_back(stop);
}

bool TsfGenomicIndexWriter::finish(const QVector<QByteArray>& chromosomeNames, bool withIndex,
                                   TsfCompression method, QString* error) {
    const size_t count = m_chromosomes.size();
    std::vector<int> bins(count);
    for (size_t i = 0; i < count; ++i)
        bins[i] = TsfGenomicBins::binOf(m_starts[i], m_stops[i]);
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return m_chromosomes[a] != m_chromosomes[b] ? m_chromosomes[a] < m_chromosomes[b] : bins[a] < bins[b];
    });
    if (!writeDataTable(order, method, error) ||
        !m_catalog.updateFieldMeta(m_sourceId, TsfLayout::ChrFieldId,
                                   TsfSourceRecords::fieldMeta(chrField(chromosomeNames)), error))
        return false;
    return !withIndex || writeQueryTable(order, bins, error);
}

bool TsfGenomicIndexWriter::writeDataTable(const std::vector<uint32_t>& order, TsfCompression method,
                                           QString* error) {
    TsfDatabase& db = m_catalog.database();
    TsfChunkTableWriter table(
        db, m_dataTableName, m_dataTableId,
        {ValueType::Categorical, ValueType::Int, ValueType::Int, ValueType::Int, ValueType::Int},
        DataChunkBits, method);
    std::vector<uint32_t> reverse(order.size());
    for (size_t row = 0; row < order.size(); ++row) {
        const uint32_t record = order[row];
        reverse[record] = uint32_t(row);
        table.column(TsfLayout::GidxChrColumn).appendInt(m_chromosomes[record]);
        table.column(TsfLayout::GidxStartColumn).appendInt(m_starts[record]);
        table.column(TsfLayout::GidxStopColumn).appendInt(m_stops[record]);
        table.column(TsfLayout::GidxRecordColumn).appendInt(int32_t(record));
        for (int column = 0; column < TsfLayout::GidxReverseColumn; ++column)
            if (!table.flushIfFull(column, error))
                return false;
    }
    for (uint32_t row : reverse) {
        table.column(TsfLayout::GidxReverseColumn).appendInt(int32_t(row));
        if (!table.flushIfFull(TsfLayout::GidxReverseColumn, error))
            return false;
    }
    return table.finish(error);
}

bool TsfGenomicIndexWriter::writeQueryTable(const std::vector<uint32_t>& order, const std::vector<int>& bins,
                                            QString* error) {
    if (!m_catalog.createGidxQueryTable(m_queryTableName, error))
        return false;
    TsfRowInserter inserter(m_catalog.database(), TsfRowInserter::GidxBin, m_queryTableName);
    size_t first = 0;
    while (first < order.size()) {
        const uint32_t head = order[first];
        int32_t minStart = m_starts[head];
        int32_t maxStop = m_stops[head];
        size_t end = first + 1;
        for (; end < order.size() && m_chromosomes[order[end]] == m_chromosomes[head] &&
               bins[order[end]] == bins[head];
             ++end) {
            minStart = std::min(minStart, m_starts[order[end]]);
            maxStop = std::max(maxStop, m_stops[order[end]]);
        }
        if (!inserter.insertGidxBin(TsfGenomicBins::binId(m_chromosomes[head], bins[head]), minStart, maxStop,
                                    qint64(first), qint64(end - first), error))
            return false;
        first = end;
    }
    TsfIndexRow row;
    row.sourceId = m_sourceId;
    row.fieldId = QStringLiteral("-1");
    row.idxType = QLatin1String(TsfLayout::GenomicIndexType);
    row.queryTableName = m_queryTableName;
    row.dataTableId = m_dataTableId;
    row.idxMeta = "{}";
    return m_catalog.insertIndex(row, error);
}

QVector<TsfGenomicIndexWriter::Extent>
TsfGenomicIndexWriter::extents(const QVector<QByteArray>& chromosomeNames) const {
    QVector<Extent> byChromosome(chromosomeNames.size());
    QVector<bool> seen(chromosomeNames.size(), false);
    for (size_t i = 0; i < m_chromosomes.size(); ++i) {
        const int c = m_chromosomes[i];
        if (c < 0 || c >= byChromosome.size())
            continue;
        Extent& extent = byChromosome[c];
        extent.minStart = seen[c] ? std::min(extent.minStart, m_starts[i]) : m_starts[i];
        extent.maxStop = seen[c] ? std::max(extent.maxStop, m_stops[i]) : m_stops[i];
        seen[c] = true;
    }
    QVector<Extent> result;
    for (int c = 0; c < byChromosome.size(); ++c) {
        if (seen[c]) {
            byChromosome[c].chromosome = chromosomeNames.at(c);
            result.append(byChromosome[c]);
        }
    }
    return result;
}
