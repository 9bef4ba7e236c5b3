#include "transforms/MergeSampleColumn.h"

#include "source/values/SampleMatrix.h"

#include <type_traits>

void MergeSampleColumn::place(const PVariant& value, const QVector<int>& sampleToOutput,
                              const MergeFieldValues::ListRemap* remap) {
    if (value.isValid())
        m_placed.push_back({&value, &sampleToOutput, remap});
}

PVariant MergeSampleColumn::take(const QByteArray& missingText) {
    if (m_placed.empty())
        return PVariant();
    const PVariant& first = *m_placed.front().value;
    PVariant result;
    if (first.isSampleMatrix()) {
        switch (first.sampleMatrix().elementType()) {
        case ValueType::IntArray:
            result = takeLists(&PVariant::intVector);
            break;
        case ValueType::FloatArray:
            result = takeLists(&PVariant::floatVector);
            break;
        case ValueType::StringArray:
            result = takeLists(&PVariant::stringVector);
            break;
        default:
            result = takeAny();
        }
    } else {
        switch (first.type()) {
        case ValueType::IntArray:
            result = takeScalars(&PVariant::intVector, PVariant::MissingInt);
            break;
        case ValueType::FloatArray:
            result = takeScalars(&PVariant::floatVector, PVariant::MissingFloat);
            break;
        case ValueType::StringArray:
            result = takeScalars(&PVariant::stringVector, missingText);
            break;
        default:
            result = takeAny();
        }
    }
    m_placed.clear();
    return result;
}

template <class T>
PVariant MergeSampleColumn::takeScalars(const QVector<T>& (PVariant::*vector)() const, T missing) const {
    QVector<T> column(m_outputSamples, missing);
    T* out = column.data();
    for (const Placed& placed : m_placed) {
        if (placed.value->type() != m_placed.front().value->type() || placed.value->isSampleMatrix())
            continue;
        const QVector<T>& values = (placed.value->*vector)();
        const T* in = values.constData();
        const int* targets = placed.sampleToOutput->constData();
        const int count = std::min(values.size(), placed.sampleToOutput->size());
        for (int i = 0; i < count; ++i) {
            const int target = targets[i];
            if (target >= 0 && target < m_outputSamples)
                out[target] = in[i];
        }
    }
    return PVariant(std::move(column));
}

// Lists per sample: the output sample takes the elements of the last input sample mapped onto it.
// Each input sample's elements are one block of its flat array, copied whole unless re-numbered.
template <class T> PVariant MergeSampleColumn::takeLists(const QVector<T>& (PVariant::*vector)() const) {
    const ValueType elementType = m_placed.front().value->sampleMatrix().elementType();
    m_sources.assign(static_cast<size_t>(m_outputSamples), Source());
    for (const Placed& placed : m_placed)
        if (placed.value->isSampleMatrix() && placed.value->sampleMatrix().elementType() == elementType)
            gatherLists(placed, vector);
    QVector<int32_t> offsets(m_outputSamples + 1);
    int32_t* offset = offsets.data();
    *offset = 0;
    for (const Source& source : m_sources) {
        offset[1] = offset[0] + source.width;
        ++offset;
    }
    QVector<T> values(offsets.last());
    T* out = values.data();
    for (const Source& source : m_sources) {
        const T* in = static_cast<const T*>(source.values);
        if constexpr (std::is_arithmetic_v<T>) {
            if (source.layout.map) {
                MergeFieldValues::layList(in, source.count, source.layout, out);
                out += source.width;
                continue;
            }
        }
        out = std::copy_n(in, source.width, out);
    }
    return PVariant(SampleMatrix(PVariant(std::move(values)), std::move(offsets)));
}

// Notes the list each output sample takes from one placed matrix. Only numbers are re-numbered:
// texts per allele are taken as they are.
template <class T>
void MergeSampleColumn::gatherLists(const Placed& placed, const QVector<T>& (PVariant::*vector)() const) {
    const SampleMatrix& matrix = placed.value->sampleMatrix();
    const T* values = (matrix.values().*vector)().constData();
    const int32_t* offsets = matrix.offsets().constData();
    const int* targets = placed.sampleToOutput->constData();
    const bool remapped = placed.remap && std::is_arithmetic_v<T>;
    const int count = std::min(matrix.sampleCount(), placed.sampleToOutput->size());
    for (int i = 0; i < count; ++i) {
        const int target = targets[i];
        if (target < 0 || target >= m_outputSamples)
            continue;
        Source& source = m_sources[size_t(target)];
        source.values = values + offsets[i];
        source.count = offsets[i + 1] - offsets[i];
        source.layout = remapped ? MergeFieldValues::layoutOf(*placed.remap, source.count)
                                 : MergeFieldValues::ListLayout();
        source.width = remapped ? source.layout.width : source.count;
    }
}

// Any other shape, value by value.
PVariant MergeSampleColumn::takeAny() const {
    PVariantVector out(m_outputSamples);
    for (const Placed& placed : m_placed) {
        const int count = std::min(placed.value->size(), placed.sampleToOutput->size());
        for (int i = 0; i < count; ++i) {
            const int target = placed.sampleToOutput->at(i);
            if (target >= 0 && target < m_outputSamples)
                out[target] = placed.value->at(i);
        }
    }
    return PVariant(std::move(out));
}
