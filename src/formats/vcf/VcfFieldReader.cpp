#include "formats/vcf/VcfFieldReader.h"

#include "formats/vcf/VcfFeatureCursor.h"
#include "formats/vcf/VcfSourceTypeManager.h"

VcfFieldReader::VcfFieldReader(VkSourcePtr source) : VkFieldReader(std::move(source)) {}

VcfFieldReader::~VcfFieldReader() = default;

bool VcfFieldReader::seek(qint64 row) {
    if (row == m_row && m_cursor)
        return true;
    const auto* schema = m_source->resource<VcfSchema>();
    if (!schema) {
        m_errorText = QStringLiteral("VCF source %1 was not opened").arg(m_source->path());
        return false;
    }
    if (row < 0) {
        m_errorText = QStringLiteral("Invalid record %1").arg(row);
        return false;
    }
    // Skipping lines is cheaper than parsing them, so a jump ahead starts a fresh read there.
    if (!m_cursor || row != m_row + 1) {
        QList<int> fields;
        for (int idx = 0; idx < schema->fields().size(); ++idx)
            fields.append(idx);
        m_cursor = std::make_unique<VcfFeatureCursor>(*schema, m_source->path(), fields,
                                                      !VcfSourceTypeManager::limitPrefixTrimming(*m_source));
        m_row = -1;
        if (!m_cursor->openSequential(row, &m_errorText)) {
            m_cursor.reset();
            return false;
        }
    }
    VkFeatureList batch;
    if (!m_cursor->fill(batch, 1, &m_errorText) || batch.isEmpty()) {
        if (batch.isEmpty() && m_errorText.isEmpty())
            m_errorText =
                QStringLiteral("Record %1 is past the end of %2").arg(QString::number(row), m_source->path());
        m_cursor.reset();
        return false;
    }
    m_feature = batch.first();
    m_row = row;
    return true;
}

PVariantVector VcfFieldReader::readValues(qint64 row, int firstField, int endField) {
    m_errorText.clear();
    if (firstField < 0 || endField > m_source->schema().size() || firstField >= endField) {
        m_errorText = QStringLiteral("Invalid field range %1 to %2").arg(firstField).arg(endField);
        return PVariantVector();
    }
    if (!seek(row))
        return PVariantVector();
    return m_feature.values().mid(firstField, endField - firstField);
}

bool VcfFieldReader::checkMatrixField(int field) {
    if (field >= 0 && field < m_source->schema().size() && m_source->schema().at(field).isMatrix())
        return true;
    m_errorText = QStringLiteral("Field %1 is not a matrix field").arg(field);
    return false;
}

PVariantVector VcfFieldReader::matrixSlice(qint64 row, int field) {
    m_errorText.clear();
    if (!checkMatrixField(field) || !seek(row))
        return PVariantVector();
    const PVariant& values = m_feature.value(field);
    PVariantVector slice;
    slice.reserve(values.size());
    for (int sample = 0; sample < values.size(); ++sample)
        slice.append(values.at(sample));
    return slice;
}

PVariant VcfFieldReader::matrixCell(qint64 row, int field, int sample) {
    m_errorText.clear();
    if (!checkMatrixField(field) || !seek(row))
        return PVariant();
    const PVariant& values = m_feature.value(field);
    if (sample < 0 || sample >= values.size()) {
        m_errorText = QStringLiteral("Invalid sample %1").arg(sample);
        return PVariant();
    }
    return values.at(sample);
}
