#pragma once

#include "source/values/PVariant.h"

#include <QSharedData>

// The value of a matrix field whose per-sample value is itself a list (VCF AD with Number=R,
// PL with Number=G ...). All samples' elements sit in one flat typed array; sample s owns the
// elements from offsets[s] up to offsets[s + 1]. A sample without a value has no elements.
// Held in a PVariant as a VectorOfData whose elements are the per-sample arrays.
class SampleMatrix {
public:
    SampleMatrix();
    // values: an Int, Float, Float64, Bool or String Array. offsets: sampleCount + 1
    // non-decreasing positions, the first 0 and the last values.size(). Anything else gives an
    // invalid (empty) matrix.
    SampleMatrix(PVariant values, QVector<int32_t> offsets);
    // Packs one array per sample; all must share one array type.
    static SampleMatrix fromSamples(const PVariantVector& samples);

    bool isValid() const { return d->values.isValid(); }
    // The type of each sample's list (IntArray ...); Invalid for an invalid matrix.
    ValueType elementType() const { return d->values.type(); }
    int sampleCount() const { return d->offsets.size() - 1; }
    int offset(int sample) const { return d->offsets.at(sample); }
    int count(int sample) const { return d->offsets.at(sample + 1) - d->offsets.at(sample); }
    const PVariant& values() const { return d->values; }
    const QVector<int32_t>& offsets() const { return d->offsets; }
    // One sample's list as an array of its own (a copy of that slice).
    PVariant sample(int sample) const;

    bool operator==(const SampleMatrix& other) const;
    bool operator!=(const SampleMatrix& other) const { return !(*this == other); }

private:
    struct Data : QSharedData {
        Data() : offsets{0} {}
        Data(PVariant values, QVector<int32_t> offsets) : values(std::move(values)), offsets(std::move(offsets)) {}
        PVariant values;
        QVector<int32_t> offsets;
    };
    QSharedDataPointer<Data> d;
};

Q_DECLARE_TYPEINFO(SampleMatrix, Q_MOVABLE_TYPE);
