#pragma once

#include "source/values/PVariant.h"
#include "source/model/VkSegment.h"

#include <QList>
#include <QSharedData>

// One record of a source: its segment and one value per schema field, in schema order.
//
// A feature is a single pointer to implicitly shared data, so batches (QList<VkFeature>) store
// features inline and handing a batch to another thread copies no values. A matrix field's value
// is one vector across all samples: a typed array for a scalar per sample, a SampleMatrix for a
// list per sample. Writing through a shared feature detaches it first.
class VkFeature {
public:
    VkFeature();
    VkFeature(VkSegment segment, PVariantVector values);

    const VkSegment& segment() const { return d->segment; }
    void setSegment(VkSegment segment) { d->segment = std::move(segment); }

    int size() const { return d->values.size(); }
    const PVariantVector& values() const { return d->values; }
    PVariantVector& values() { return d->values; }
    // The value of field idx; an invalid value when idx is outside the feature.
    const PVariant& value(int idx) const {
        return idx >= 0 && idx < d->values.size() ? d->values.at(idx) : s_invalid;
    }
    // Sets field idx, growing the feature with invalid values as needed.
    void setValue(int idx, PVariant value);
    void append(PVariant value) { d->values.append(std::move(value)); }
    void reserve(int fieldCount) { d->values.reserve(fieldCount); }

    // The value of one sample of a matrix field.
    PVariant matrixCell(int idx, int sample) const { return value(idx).at(sample); }

    bool operator==(const VkFeature& other) const;
    bool operator!=(const VkFeature& other) const { return !(*this == other); }

private:
    static const PVariant s_invalid;
    struct Data : QSharedData {
        VkSegment segment;
        PVariantVector values;
    };
    QSharedDataPointer<Data> d;
};

using VkFeatureList = QList<VkFeature>;

Q_DECLARE_TYPEINFO(VkFeature, Q_MOVABLE_TYPE);
Q_DECLARE_METATYPE(VkFeature)
