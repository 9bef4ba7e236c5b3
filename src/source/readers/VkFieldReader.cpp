#include "source/readers/VkFieldReader.h"

PVariantVector VkFieldReader::readValues(qint64, int, int) {
    return PVariantVector();
}

PVariant VkFieldReader::readValue(qint64 row, int field) {
    const PVariantVector values = readValues(row, field, field + 1);
    return values.size() == 1 ? values.first() : PVariant();
}

PVariantVector VkFieldReader::matrixSlice(qint64, int) {
    m_errorText = QStringLiteral("Matrix slice not supported on this source");
    return PVariantVector();
}

PVariant VkFieldReader::matrixCell(qint64, int, int) {
    m_errorText = QStringLiteral("Matrix cell not supported on this source");
    return PVariant();
}
