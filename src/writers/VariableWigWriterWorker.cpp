#include "writers/VariableWigWriterWorker.h"

#include "output/TextOutput.h"
#include "writers/ValueText.h"

namespace {
bool isNumeric(ValueType type) {
    return type == ValueType::Int || type == ValueType::Int64 || type == ValueType::Float ||
           type == ValueType::Float64;
}
} // namespace

VariableWigWriterWorker::VariableWigWriterWorker(VkSourcePtr source, VariableWigWriterTask task,
                                                 VkEventedThread* readerThread)
    : WriterWorker(std::move(source), readerThread), m_task(std::move(task)) {}

int VariableWigWriterWorker::exportField(const VkSourceInfo& info, const QString& symbol, QString* error) {
    if (symbol.isEmpty()) {
        for (const VkField& field : info.schema)
            if (field.fieldType == VkField::LocusAttribute && isNumeric(field.valueType))
                return field.idx;
        *error = QStringLiteral("The source has no numeric field to write as wig");
        return -1;
    }
    const int idx = info.fieldIndex(symbol.toUtf8());
    if (idx < 0) {
        *error = QStringLiteral("The source has no field with the symbol %1").arg(symbol);
        return -1;
    }
    const VkField& field = info.schema.at(idx);
    if (field.fieldType != VkField::LocusAttribute || !isNumeric(field.valueType)) {
        *error = QStringLiteral("Field %1 does not hold one number per feature and cannot be written as wig")
                     .arg(symbol);
        return -1;
    }
    return idx;
}

bool VariableWigWriterWorker::write(QString* error) {
    const int field = exportField(source()->info(), m_task.exportFieldSymbol(), error);
    if (field < 0)
        return false;
    TextOutput output(m_task.outputFilePath());
    if (!output.open(inputs(), error))
        return false;

    const bool singleBase = m_task.singleBaseSpan();
    const ValueTextStyle style;
    QByteArray& text = output.buffer();
    QByteArray chromosome;
    int32_t span = 0;
    const auto writeLine = [&](const VkFeature& feature, QString* lineError) {
        const PVariant& value = feature.value(field);
        if (value.isMissing())
            return true;
        const VkSegment& segment = feature.segment();
        const int32_t length = singleBase ? 1 : qMax(1, segment.length());
        if (length != span || segment.chromosome() != chromosome) {
            chromosome = segment.chromosome();
            span = length;
            text.append("variableStep chrom=");
            text.append(chromosome);
            text.append(" span=");
            appendValueText(text, PVariant(span), style);
            text.append('\n');
        }
        appendValueText(text, PVariant(segment.start() + 1), style);
        text.append(' ');
        appendValueText(text, value, style);
        text.append('\n');
        return output.flushIfFull(lineError);
    };
    if (!readFeatures({field}, writeLine, error) || !output.commit(error))
        return false;
    if (!output.isStream())
        addOutput(output.destination());
    return true;
}
