#include "source/values/SampleMatrix.h"

namespace {

bool isListType(ValueType type) {
    switch (type) {
    case ValueType::IntArray:
    case ValueType::FloatArray:
    case ValueType::Float64Array:
    case ValueType::BoolArray:
    case ValueType::StringArray:
        return true;
    default:
        return false;
    }
}

bool validOffsets(const QVector<int32_t>& offsets, int valueCount) {
    if (offsets.isEmpty() || offsets.first() != 0 || offsets.last() != valueCount)
        return false;
    for (int i = 1; i < offsets.size(); ++i) {
        if (offsets.at(i) < offsets.at(i - 1))
            return false;
    }
    return true;
}

template <class T>
PVariant concatenate(const PVariantVector& samples, const QVector<T>& (PVariant::*list)() const,
                     QVector<int32_t>& offsets) {
    QVector<T> flat;
    for (const PVariant& sample : samples) {
        flat.append((sample.*list)());
        offsets.append(flat.size());
    }
    return PVariant(std::move(flat));
}

} // namespace

SampleMatrix::SampleMatrix() : d(new Data) {}

// Built in one allocation: a reader makes one per list field per record.
SampleMatrix::SampleMatrix(PVariant values, QVector<int32_t> offsets)
    : d(isListType(values.type()) && validOffsets(offsets, values.size())
            ? new Data(std::move(values), std::move(offsets))
            : new Data) {}

SampleMatrix SampleMatrix::fromSamples(const PVariantVector& samples) {
    const ValueType type = samples.isEmpty() ? ValueType::IntArray : samples.first().type();
    for (const PVariant& sample : samples) {
        if (sample.type() != type || !isListType(type))
            return SampleMatrix();
    }
    QVector<int32_t> offsets{0};
    offsets.reserve(samples.size() + 1);
    PVariant values;
    switch (type) {
    case ValueType::IntArray:
        values = concatenate(samples, &PVariant::intVector, offsets);
        break;
    case ValueType::FloatArray:
        values = concatenate(samples, &PVariant::floatVector, offsets);
        break;
    case ValueType::Float64Array:
        values = concatenate(samples, &PVariant::float64Vector, offsets);
        break;
    case ValueType::BoolArray:
        values = concatenate(samples, &PVariant::boolVector, offsets);
        break;
    default:
        values = concatenate(samples, &PVariant::stringVector, offsets);
        break;
    }
    return SampleMatrix(std::move(values), std::move(offsets));
}

PVariant SampleMatrix::sample(int sample) const {
    if (sample < 0 || sample >= sampleCount())
        return PVariant();
    const int from = offset(sample);
    const int length = count(sample);
    switch (d->values.type()) {
    case ValueType::IntArray:
        return PVariant(d->values.intVector().mid(from, length));
    case ValueType::FloatArray:
        return PVariant(d->values.floatVector().mid(from, length));
    case ValueType::Float64Array:
        return PVariant(d->values.float64Vector().mid(from, length));
    case ValueType::BoolArray:
        return PVariant(d->values.boolVector().mid(from, length));
    case ValueType::StringArray:
        return PVariant(d->values.stringVector().mid(from, length));
    default:
        return PVariant();
    }
}

bool SampleMatrix::operator==(const SampleMatrix& other) const {
    return d == other.d || (d->offsets == other.d->offsets && d->values == other.d->values);
}
