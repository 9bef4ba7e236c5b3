#pragma once

#include "source/values/PVariant.h"

#include <memory>

// A per-sample vector of values that code can fill or merge sample by sample.
//
// fillMissing levels:
//   0: replace this vector's value for the sample by the other's when this one is missing;
//   1: the same for one element of the sample's list (the list must hold that element);
//   2: insert the other's element at a position of the sample's list (0 to the list size).
// Each returns whether the value is present afterwards. Any other level, a negative or
// out-of-range index, or another kind of vector returns false.
class MutableSampleVector {
public:
    virtual ~MutableSampleVector();
    virtual bool fillMissing(const MutableSampleVector& other, int sampleIdx, int elementIdx, int level) = 0;
    virtual PVariant toPVariant() const = 0;
    virtual int sampleCount() const = 0;

    // The mutable form of a matrix field value: a typed array, a SampleMatrix or a Categorical
    // Array. Null for any other value.
    static std::unique_ptr<MutableSampleVector> fromPVariant(const PVariant& value);
};

// The missing sentinel of each element type a sample vector holds.
template <class T> struct SampleMissing;
template <> struct SampleMissing<uint8_t> {
    static uint8_t value() { return PVariant::MissingBool; }
};
template <> struct SampleMissing<int32_t> {
    static int32_t value() { return PVariant::MissingInt; }
};
template <> struct SampleMissing<float> {
    static float value() { return PVariant::MissingFloat; }
};
template <> struct SampleMissing<double> {
    static double value() { return PVariant::MissingFloat64; }
};
template <> struct SampleMissing<QByteArray> {
    static QByteArray value() { return QByteArray(); }
};

// Values of type T per sample. Container is QVector<T> for one value per sample (a sample is
// missing when it holds the sentinel) or QVector<QVector<T>> for a list per sample (a sample
// is missing when its list is empty).
template <class T, class Container> class TypedMutableSampleVector : public MutableSampleVector {
public:
    using Sample = typename Container::value_type;
    static constexpr bool IsList = !std::is_same<Sample, T>::value;

    TypedMutableSampleVector() = default;
    explicit TypedMutableSampleVector(Container samples) : m_samples(std::move(samples)) {}

    const Container& samples() const { return m_samples; }
    Container& samples() { return m_samples; }
    int sampleCount() const override { return m_samples.size(); }

    bool fillMissing(const MutableSampleVector& other, int sampleIdx, int elementIdx, int level) override {
        const auto* source = dynamic_cast<const TypedMutableSampleVector*>(&other);
        if (!source || sampleIdx < 0 || sampleIdx >= m_samples.size() ||
            sampleIdx >= source->m_samples.size())
            return false;
        const Sample& theirs = source->m_samples.at(sampleIdx);
        Sample& mine = m_samples[sampleIdx];
        if (level == 0) {
            if (isMissing(mine))
                mine = theirs;
            return !isMissing(mine);
        }
        if constexpr (IsList) {
            if (level == 1)
                return fillElement(mine, theirs, elementIdx);
            if (level == 2)
                return insertElement(mine, theirs, elementIdx);
        }
        return false;
    }

    PVariant toPVariant() const override {
        if constexpr (IsList) {
            QVector<T> flat;
            QVector<int32_t> offsets{0};
            offsets.reserve(m_samples.size() + 1);
            for (const Sample& sample : m_samples) {
                flat.append(sample);
                offsets.append(flat.size());
            }
            return PVariant(SampleMatrix(PVariant(std::move(flat)), std::move(offsets)));
        } else {
            return PVariant(m_samples);
        }
    }

private:
    static bool isMissing(const T& value) { return value == SampleMissing<T>::value(); }
    static bool isMissing(const QVector<T>& list) { return list.isEmpty(); }

    static bool fillElement(QVector<T>& mine, const QVector<T>& theirs, int index) {
        if (index < 0 || index >= mine.size())
            return false;
        if (isMissing(mine.at(index)) && index < theirs.size())
            mine[index] = theirs.at(index);
        return !isMissing(mine.at(index));
    }

    static bool insertElement(QVector<T>& mine, const QVector<T>& theirs, int index) {
        if (index < 0 || index > mine.size())
            return false;
        mine.insert(index, index < theirs.size() ? theirs.at(index) : SampleMissing<T>::value());
        return !isMissing(mine.at(index));
    }

    Container m_samples;
};

using BoolSampleVector = TypedMutableSampleVector<uint8_t, QVector<uint8_t>>;
using IntSampleVector = TypedMutableSampleVector<int32_t, QVector<int32_t>>;
using FloatSampleVector = TypedMutableSampleVector<float, QVector<float>>;
using Float64SampleVector = TypedMutableSampleVector<double, QVector<double>>;
using StringSampleVector = TypedMutableSampleVector<QByteArray, QVector<QByteArray>>;
using BoolListSampleVector = TypedMutableSampleVector<uint8_t, QVector<QVector<uint8_t>>>;
using IntListSampleVector = TypedMutableSampleVector<int32_t, QVector<QVector<int32_t>>>;
using FloatListSampleVector = TypedMutableSampleVector<float, QVector<QVector<float>>>;
using Float64ListSampleVector = TypedMutableSampleVector<double, QVector<QVector<double>>>;
using StringListSampleVector = TypedMutableSampleVector<QByteArray, QVector<QVector<QByteArray>>>;

// Categorical values per sample: a code and its name each. Only level 0 applies.
template <class Code> class SampleEnumVector : public MutableSampleVector {
public:
    SampleEnumVector() = default;
    explicit SampleEnumVector(const CategoricalVector& values)
        : m_codes(values.codes()), m_names(values.names()) {}

    const QVector<Code>& codes() const { return m_codes; }
    const QVector<QByteArray>& names() const { return m_names; }
    int sampleCount() const override { return m_codes.size(); }

    bool fillMissing(const MutableSampleVector& other, int sampleIdx, int /*elementIdx*/,
                     int level) override {
        const auto* source = dynamic_cast<const SampleEnumVector*>(&other);
        if (!source || level != 0 || sampleIdx < 0 || sampleIdx >= m_codes.size() ||
            sampleIdx >= source->m_codes.size())
            return false;
        if (m_codes.at(sampleIdx) == PVariant::MissingCategorical) {
            m_codes[sampleIdx] = source->m_codes.at(sampleIdx);
            m_names[sampleIdx] = source->m_names.at(sampleIdx);
        }
        return m_codes.at(sampleIdx) != PVariant::MissingCategorical;
    }

    PVariant toPVariant() const override { return PVariant(CategoricalVector(m_codes, m_names)); }

private:
    QVector<Code> m_codes;
    QVector<QByteArray> m_names;
};
