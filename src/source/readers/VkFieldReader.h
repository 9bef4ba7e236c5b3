#pragma once

#include "source/values/PVariant.h"
#include "source/registry/VkSource.h"

// Reads single field values of a source on the caller's thread.
class VkFieldReader {
public:
    explicit VkFieldReader(VkSourcePtr source) : m_source(std::move(source)) {}
    virtual ~VkFieldReader() = default;

    // The values of fields [firstField, endField) of one feature; empty when the kind cannot tell.
    virtual PVariantVector readValues(qint64 row, int firstField, int endField);
    // One value, or an invalid value when the range read did not yield exactly one.
    virtual PVariant readValue(qint64 row, int field);
    // The values of every sample of a matrix field for one feature.
    virtual PVariantVector matrixSlice(qint64 row, int field);
    virtual PVariant matrixCell(qint64 row, int field, int sample);

    const VkSourcePtr& source() const { return m_source; }
    const QString& errorText() const { return m_errorText; }

protected:
    VkSourcePtr m_source;
    QString m_errorText;
};
