#pragma once

#include "source/model/VkField.h"
#include "source/readers/VkFieldReader.h"

#include <memory>

// Reads the fields a transform passes through from its input's field reader: each output field
// is mapped onto the input field of the same symbol and name. Fields the transform computes have
// no input field and read as empty values.
class MappedFieldReader : public VkFieldReader {
public:
    // Null when the input has no field reader.
    static MappedFieldReader* create(const VkSourcePtr& input, const VkFieldList& output);

    PVariantVector readValues(qint64 row, int firstField, int endField) override;
    PVariantVector matrixSlice(qint64 row, int field) override;
    PVariant matrixCell(qint64 row, int field, int sample) override;

private:
    MappedFieldReader(VkSourcePtr input, std::unique_ptr<VkFieldReader> inner, QVector<int> inputIndexes);
    int inputIndex(int field) const { return m_inputIndexes.value(field, -1); }

    std::unique_ptr<VkFieldReader> m_inner;
    QVector<int> m_inputIndexes;
};
