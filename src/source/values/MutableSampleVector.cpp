#include "source/values/MutableSampleVector.h"

namespace {

// Splits a SampleMatrix back into one list per sample.
template <class T>
std::unique_ptr<MutableSampleVector> listsOf(const SampleMatrix& matrix,
                                             const QVector<T>& (PVariant::*flat)() const) {
    const QVector<T>& values = (matrix.values().*flat)();
    QVector<QVector<T>> samples;
    samples.reserve(matrix.sampleCount());
    for (int i = 0; i < matrix.sampleCount(); ++i)
        samples.append(values.mid(matrix.offset(i), matrix.count(i)));
    return std::make_unique<TypedMutableSampleVector<T, QVector<QVector<T>>>>(std::move(samples));
}

std::unique_ptr<MutableSampleVector> fromMatrix(const SampleMatrix& matrix) {
    switch (matrix.elementType()) {
    case ValueType::IntArray:
        return listsOf(matrix, &PVariant::intVector);
    case ValueType::FloatArray:
        return listsOf(matrix, &PVariant::floatVector);
    case ValueType::Float64Array:
        return listsOf(matrix, &PVariant::float64Vector);
    case ValueType::BoolArray:
        return listsOf(matrix, &PVariant::boolVector);
    case ValueType::StringArray:
        return listsOf(matrix, &PVariant::stringVector);
    default:
        return nullptr;
    }
}

} // namespace

MutableSampleVector::~MutableSampleVector() = default;

std::unique_ptr<MutableSampleVector> MutableSampleVector::fromPVariant(const PVariant& value) {
    switch (value.type()) {
    case ValueType::IntArray:
        return std::make_unique<IntSampleVector>(value.intVector());
    case ValueType::FloatArray:
        return std::make_unique<FloatSampleVector>(value.floatVector());
    case ValueType::Float64Array:
        return std::make_unique<Float64SampleVector>(value.float64Vector());
    case ValueType::BoolArray:
        return std::make_unique<BoolSampleVector>(value.boolVector());
    case ValueType::StringArray:
        return std::make_unique<StringSampleVector>(value.stringVector());
    case ValueType::CategoricalArray:
        return std::make_unique<SampleEnumVector<int32_t>>(value.categoricalVector());
    case ValueType::VectorOfData:
        return value.isSampleMatrix() ? fromMatrix(value.sampleMatrix()) : nullptr;
    default:
        return nullptr;
    }
}
