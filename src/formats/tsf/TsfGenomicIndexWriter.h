#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfChunkCodec.h"

#include <vector>

// Writes the positions of a source's records and, when the records are in genomic order, the
// genomic index over them:
// - the data table "t<N>_gidx_chunks" with the columns Chr (Categorical), Start, Stop (rows in
//   bin order), the record index of each row, and each record's row (the reverse map);
// - the hidden fields Chr, Start and Stop, whose locus map "<table id>:4" goes through the
//   reverse map;
// - with the index: the query table "t<N>_gidx", one row per non-empty bin, and the "idx_gidx"
//   row of `idx`.
class TsfGenomicIndexWriter {
public:
    struct Extent {
        QByteArray chromosome;
        int32_t minStart = 0;
        int32_t maxStop = 0;
    };

    TsfGenomicIndexWriter(TsfCatalog& catalog, qint64 sourceId, qint64 tableNumber);

    // Creates and registers the data table and inserts the hidden field rows.
    bool begin(QString* error);
    // Positions in record order.
    void addRecord(int chromosomeIndex, int32_t start, int32_t stop);
    qint64 recordCount() const { return qint64(m_chromosomes.size()); }
    // Writes the data table, its `table_meta`, the Chr field's category names and, when
    // withIndex is set, the query table and the `idx` row.
    bool finish(const QVector<QByteArray>& chromosomeNames, bool withIndex, TsfCompression method,
                QString* error);

    qint64 dataTableId() const { return m_dataTableId; }
    const QString& dataTableName() const { return m_dataTableName; }
    const QString& queryTableName() const { return m_queryTableName; }
    // Smallest start and largest stop per chromosome with records, in chromosome index order.
    QVector<Extent> extents(const QVector<QByteArray>& chromosomeNames) const;

private:
    bool writeDataTable(const std::vector<uint32_t>& order, TsfCompression method, QString* error);
    bool writeQueryTable(const std::vector<uint32_t>& order, const std::vector<int>& bins, QString* error);

    TsfCatalog& m_catalog;
    qint64 m_sourceId;
    QString m_dataTableName;
    QString m_queryTableName;
    qint64 m_dataTableId = -1;
    std::vector<int32_t> m_chromosomes;
    std::vector<int32_t> m_starts;
    std::vector<int32_t> m_stops;
};
