#pragma once

#include "formats/tsf/TsfChunkTableWriter.h"
#include "formats/tsf/TsfDatabaseWriter.h"
#include "formats/tsf/TsfFieldColumn.h"
#include "formats/tsf/TsfGenomicIndexWriter.h"
#include "formats/tsf/TsfMatrixTableWriter.h"
#include "formats/tsf/TsfWriteSettings.h"
#include "source/model/VkFeature.h"

#include <QHash>

#include <memory>
#include <vector>

// Writes one source into a TSF file: start() lays out the tables, write() appends features in
// source order, finish() completes the tables, the index and the documentation and puts the file
// in place. The first failure rolls the whole write back and removes the temporary file; every
// later call then fails. Not thread-safe: one thread drives a writer from start to finish.
class TsfSourceWriter : public TsfDatabaseWriter {
public:
    explicit TsfSourceWriter(TsfWriteSettings settings);
    ~TsfSourceWriter() override;

    // Records per chunk (as a power of two) for a source of this width: 4,096 up to 4,096
    // columns, halving with each doubling above, down to 256.
    static int automaticChunkBits(int locusFieldCount, int matrixFieldCount, int entityCount);

    bool start(QString* error);
    bool write(const VkFeatureList& features, QString* error);
    // One record as the chromosome (String), start and stop (Int), then one value per written
    // field in field id order.
    bool writeRecord(const PVariantVector& values, QString* error);
    bool finish(QString* error);

    qint64 recordCount() const { return m_records; }
    int chunkBits() const { return m_chunkBits; }

private:
    struct MatrixTable {
        TsfFieldColumn column;
        QString name;
        qint64 tableId = -1;
        std::unique_ptr<TsfMatrixTableWriter> writer;
    };
    struct FieldRef {
        int kind; // VkField::FieldType
        int index;
    };

    void releaseTables() override;
    bool insertSource(QString* error);
    bool createTable(const char* kind, qint64 fieldCount, QString* name, qint64* tableId, QString* error);
    bool createTables(QString* error);
    bool insertFieldRows(QString* error);
    TsfFieldColumn& columnOf(const FieldRef& ref);
    VkField storedField(const VkField& field, int fieldId) const;

    bool prepare(const VkFeatureList& features, QString* error);
    int observedEntityCount(const VkFeatureList& features) const;
    bool checkEncodable(QString* error) const;
    bool writeFeature(const VkFeature& feature, int batchIndex, QString* error);
    bool writeLocusValues(const VkFeature& feature, QString* error);
    bool writeMatrixValues(const VkFeature& feature, QString* error);
    void noteEntityValues(const VkFeature& feature);
    QString statusMessage(TsfFieldColumn::Status status, const TsfFieldColumn& column, const PVariant& value,
                          bool matrix) const;
    int chromosomeIndex(const QByteArray& chromosome);
    void notePosition(const VkSegment& segment);

    bool finishTables(QString* error);
    bool writeEntityTable(QString* error);
    bool finishIndex(QString* error);
    bool finishFields(QString* error);
    bool finishSource(QString* error);
    QString compressionReport() const;

    TsfWriteSettings m_settings;
    qint64 m_sourceId = -1;
    int m_expectedValues = 0;
    int m_chunkBits = 12;
    int m_entityCount = -1;

    TsfChunkEncoderPool m_encoders;
    std::vector<TsfFieldColumn> m_locusColumns;
    QString m_locusTableName;
    qint64 m_locusTableId = -1;
    std::unique_ptr<TsfChunkTableWriter> m_locusTable;
    std::vector<MatrixTable> m_matrix;
    std::vector<TsfFieldColumn> m_entityColumns;
    QVector<PVariant> m_entityValues;
    QString m_entityTableName;
    qint64 m_entityTableId = -1;
    TsfCompressionStats m_entityStats;
    std::unique_ptr<TsfGenomicIndexWriter> m_index;
    QVector<FieldRef> m_fieldOrder;

    QVector<QByteArray> m_chromosomes;
    QHash<QByteArray, int> m_chromosomeIndexes;
    QByteArray m_lastChromosome;
    int m_lastChromosomeIndex = -1;
    int32_t m_lastStart = 0;
    bool m_inGenomicOrder = true;

    QString m_docsHtml;
    qint64 m_records = 0;
    bool m_prepared = false;
};
