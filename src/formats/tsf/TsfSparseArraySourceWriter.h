#pragma once

#include "formats/tsf/TsfChunkTableWriter.h"
#include "formats/tsf/TsfDatabaseWriter.h"
#include "formats/tsf/TsfSparseArrayLayout.h"
#include "meta/families/RenameOptions.h"
#include "source/model/VkFeature.h"
#include "source/model/VkSourceInfo.h"

#include <QSet>

#include <memory>

class TsfWriterTask;

// What a sparse-array write is told: the per-base fields of a reference-sequence or coverage
// source (each field's idx is the position of its value in the features) and the bins to cut.
struct TsfSparseArraySettings {
    QString filePath;
    bool newFile = true;
    VkFieldList arrayFields;
    VkSourceInfo sourceInfo;
    QVector<QString> dropSegmentsList;
    RenameOptions segmentRenameOptions;
    // Stored where a stored bin has no data.
    PVariant defaultArrayValue;
    int binSize = 4096;
    int entityCount = 0;

    // The settings for writing a whole source: its fields, its bin size when it names a valid
    // one, and N (bases) or 0 (numbers) where a bin has no data.
    static TsfSparseArraySettings forSource(const VkSourceInfo& info);
    // Takes the output file, the segments to drop or rename and a new source name from a task.
    void applyTask(const TsfWriterTask& task);
};

Q_DECLARE_METATYPE(TsfSparseArraySettings)

// Writes a reference-sequence or coverage source as per-base values stored only where bins of
// binSize bases hold data (layout in TsfSparseArrayLayout). A feature's value of a field is the
// run of its per-base values from the feature's start: a String of bases, or a numeric array.
// Features come chromosome by chromosome, in increasing order, without overlaps. As with
// TsfSourceWriter, the first failure rolls the whole write back.
class TsfSparseArraySourceWriter : public TsfDatabaseWriter {
public:
    explicit TsfSparseArraySourceWriter(TsfSparseArraySettings settings);
    ~TsfSparseArraySourceWriter() override;

    // The type stored per base for a field type; Invalid when it cannot be a sparse-array field.
    static ValueType baseType(ValueType fieldType);

    bool start(QString* error);
    bool write(const VkFeatureList& features, QString* error);
    bool finish(QString* error);

    qint64 storedBinCount() const { return m_chunks; }

private:
    void releaseTables() override;
    // Why the fields cannot be written as sparse arrays; empty when they can.
    QString fieldsProblem() const;
    bool createLayout(QString* error);
    bool writeFeature(const VkFeature& feature, int batchIndex, QString* error);
    bool checkPosition(const QByteArray& chromosome, const VkSegment& segment, int length, QString* error);
    int valueLength(const VkFeature& feature, QString* error) const;
    bool copyValues(const VkFeature& feature, int64_t from, int64_t to, int64_t offset, QString* error);
    void copyField(const PVariant& value, int column, int64_t from, int count, int at);
    bool openBin(int64_t bin, QString* error);
    bool flushBin(QString* error);
    void fillDefault(int column);
    bool finishTables(QString* error);

    TsfSparseArraySettings m_settings;
    qint64 m_sourceId = -1;
    qint64 m_tableId = -1;
    std::unique_ptr<TsfChunkTableWriter> m_table;
    // Column of each field's first value; a matrix field has one column per entity.
    QVector<int> m_firstColumn;
    int m_columnCount = 0;
    int m_expectedValues = 0;
    ValueType m_baseType = ValueType::Invalid;
    TsfSparseArrayLayout m_layout;

    QSet<QByteArray> m_finishedChromosomes;
    QByteArray m_chromosome;
    int64_t m_lastStop = -1;
    int64_t m_bin = -1;
    qint64 m_chunks = 0;
};
