#include "formats/tsf/TsfWriteSettings.h"

#include "tasks/TaskRecords.h"

#include <algorithm>

namespace {

// Options of the record that differ from the family's defaults replace those of the target.
void mergeSetOptions(const VkOptionsValue& record, const VkOptionsValue& defaults, VkOptionsValue* target) {
    for (const QByteArray& name : record.optionNames()) {
        const QVariant value = record.option(name);
        if (value != defaults.option(name))
            target->setOption(name, value);
    }
}

} // namespace

TsfWriteSettings TsfWriteSettings::forSource(const VkSourceInfo& info) {
    TsfWriteSettings settings;
    settings.sourceInfo = info;
    for (const VkField& field : info.schema) {
        if (field.fieldType == VkField::Matrix)
            settings.matrixFields.append(field);
        else if (field.fieldType == VkField::EntityAttribute)
            settings.entityAttrFields.append(field);
        else
            settings.locusAttrFields.append(field);
    }
    return settings;
}

void TsfWriteSettings::applyTask(const TsfWriterTask& task) {
    filePath = task.filePath();
    newFile = task.newFile();
    fieldsMeta = task.fieldsMeta();
    dropSegmentsList = task.dropSegmentsList();
    segmentRenameOptions = task.segmentRenameOptions();
    chunkBits = task.chunkBits();
    buildGenomicIndex = task.buildGenomicIndex();
    attrFieldCompression = task.attrFieldCompression();
    // The record is shared with the source's readers; the write changes a copy.
    sourceInfo.docInfo = sourceInfo.docInfo.isNull() ? SourceMetaOptions() : sourceInfo.docInfo.clone();
    if (!task.sourceMeta().isNull())
        mergeSetOptions(task.sourceMeta(), SourceMetaOptions(), &sourceInfo.docInfo);
    if (!sourceInfo.docInfo.coordSysId().isEmpty())
        sourceInfo.coordInfo.coordSysId = sourceInfo.docInfo.coordSysId();
    if (!task.sourceName().isEmpty())
        sourceInfo.name = task.sourceName();
    else if (!sourceInfo.docInfo.name().isEmpty())
        sourceInfo.name = sourceInfo.docInfo.name();
}

TsfCompression TsfWriteSettings::locusCompression() const {
    switch (attrFieldCompression) {
    case CompressionZlib:
        return TsfCompression::Zlib;
    case CompressionLZ4:
        return TsfCompression::Lz4;
    default:
        return TsfCompression::Zstd;
    }
}

TsfCompression TsfWriteSettings::matrixCompression() const {
    switch (attrFieldCompression) {
    case CompressionZlib:
        return TsfCompression::Zlib;
    case CompressionCompact:
        return TsfCompression::BloscZstd;
    default:
        return TsfCompression::Lz4;
    }
}

int TsfWriteSettings::expectedValueCount() const {
    if (!sourceInfo.schema.isEmpty())
        return sourceInfo.schema.size();
    int count = 0;
    for (const VkField& field : fieldsInOrder())
        count = std::max(count, field.idx + 1);
    return count;
}

VkFieldList TsfWriteSettings::fieldsInOrder() const {
    VkFieldList fields = locusAttrFields + matrixFields + entityAttrFields;
    std::stable_sort(fields.begin(), fields.end(),
                     [](const VkField& a, const VkField& b) { return a.idx < b.idx; });
    return fields;
}
