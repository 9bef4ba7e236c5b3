#pragma once

#include "formats/tsf/TsfChunkCodec.h"
#include "meta/families/FieldMetaOptions.h"
#include "meta/families/RenameOptions.h"
#include "source/model/VkSourceInfo.h"

class TsfWriterTask;

// Everything a TSF write of one source is told: where to write, which fields (each field's idx
// is the position of its value in the features), the description to store, the chromosomes to
// drop or rename, the chunk size, the genomic index and the compression.
struct TsfWriteSettings {
    // attrFieldCompression codes of TsfWriterTask.
    enum Compression {
        CompressionDefault = 0,
        CompressionZlib = 1,
        CompressionZstd = 2,
        CompressionLZ4 = 3,
        CompressionCompact = 4
    };

    QString filePath;
    bool newFile = true;
    VkFieldList locusAttrFields;
    VkFieldList matrixFields;
    VkFieldList entityAttrFields;
    // Stored as the `source` row: name, uuid, curated, docInfo, properties, coordInfo, style.
    VkSourceInfo sourceInfo;
    // Overrides of the written fields' properties, in field id order.
    QVector<FieldMetaOptions> fieldsMeta;
    QVector<QString> dropSegmentsList;
    RenameOptions segmentRenameOptions;
    // 2 or less: chosen from the width of the source at the first write.
    int chunkBits = -1;
    bool buildGenomicIndex = true;
    int attrFieldCompression = CompressionDefault;

    // Every field of a source's schema, split by field type, with its description.
    static TsfWriteSettings forSource(const VkSourceInfo& info);
    // Takes the task's output, chunk, index and compression settings; its source name, meta data
    // and field properties replace the source's own where they are set.
    void applyTask(const TsfWriterTask& task);

    TsfCompression locusCompression() const;
    TsfCompression matrixCompression() const;
    // Number of values each feature must carry: the schema's size, else one past the largest idx.
    int expectedValueCount() const;
    // All written fields in field id order (by idx).
    VkFieldList fieldsInOrder() const;
};

Q_DECLARE_METATYPE(TsfWriteSettings)
