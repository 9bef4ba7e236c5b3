#include "transforms/framework/MappedFieldReader.h"

#include "source/registry/VkSourceTypeManager.h"

MappedFieldReader* MappedFieldReader::create(const VkSourcePtr& input, const VkFieldList& output) {
    std::unique_ptr<VkFieldReader> inner(input->manager() ? input->manager()->createFieldReader(input) : nullptr);
    if (!inner)
        return nullptr;
    QVector<int> indexes;
    for (const VkField& field : output) {
        int found = -1;
        for (const VkField& candidate : input->schema())
            if (candidate.symbol == field.symbol && candidate.name == field.name)
                found = candidate.idx;
        indexes << found;
    }
    return new MappedFieldReader(input, std::move(inner), std::move(indexes));
}

MappedFieldReader::MappedFieldReader(VkSourcePtr input, std::unique_ptr<VkFieldReader> inner,
                                     QVector<int> inputIndexes)
    : VkFieldReader(std::move(input)), m_inner(std::move(inner)), m_inputIndexes(std::move(inputIndexes)) {}

PVariantVector MappedFieldReader::readValues(qint64 row, int firstField, int endField) {
    PVariantVector values;
    for (int field = firstField; field < endField; ++field) {
        const int mapped = inputIndex(field);
        values.append(mapped >= 0 ? m_inner->readValue(row, mapped) : PVariant());
    }
    m_errorText = m_inner->errorText();
    return values;
}

PVariantVector MappedFieldReader::matrixSlice(qint64 row, int field) {
    const int mapped = inputIndex(field);
    if (mapped < 0)
        return VkFieldReader::matrixSlice(row, field);
    PVariantVector slice = m_inner->matrixSlice(row, mapped);
    m_errorText = m_inner->errorText();
    return slice;
}

PVariant MappedFieldReader::matrixCell(qint64 row, int field, int sample) {
    const int mapped = inputIndex(field);
    if (mapped < 0)
        return VkFieldReader::matrixCell(row, field, sample);
    PVariant cell = m_inner->matrixCell(row, mapped, sample);
    m_errorText = m_inner->errorText();
    return cell;
}
