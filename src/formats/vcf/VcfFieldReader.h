#pragma once

#include "source/model/VkFeature.h"
#include "source/readers/VkFieldReader.h"

#include <memory>

class VcfFeatureCursor;

// Reads the values of one record at a time, by its ordinal in the file. Records are found by
// reading on from the last one read (or from the start when asked for an earlier record), so
// reading in order costs one parse per record.
class VcfFieldReader : public VkFieldReader {
public:
    explicit VcfFieldReader(VkSourcePtr source);
    ~VcfFieldReader() override;

    PVariantVector readValues(qint64 row, int firstField, int endField) override;
    // One value per sample: a typed scalar, or the sample's list.
    PVariantVector matrixSlice(qint64 row, int field) override;
    PVariant matrixCell(qint64 row, int field, int sample) override;

private:
    // Makes the record at row the current one; false with the error text set.
    bool seek(qint64 row);
    bool checkMatrixField(int field);

    std::unique_ptr<VcfFeatureCursor> m_cursor;
    qint64 m_row = -1;
    VkFeature m_feature;
};
