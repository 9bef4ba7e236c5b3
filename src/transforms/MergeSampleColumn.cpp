#include "transforms/MergeSampleColumn.h"

#include "source/values/SampleMatrix.h"

void MergeSampleColumn::place(const PVariant& value, const QVector<int>& sampleToOutput) {
    if (value.isValid())
        m_placed.push_back({&value, &sampleToOutput});
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
    QVector<T> out(m_outputSamples, missing);
    for (const Placed& placed : m_placed) {
        if (placed.value->type() != m_placed.front().value->type() || placed.value->isSampleMatrix())
            continue;
        const QVector<T>& in = (placed.value->*vector)();
        const int count = std::min(in.size(), placed.sampleToOutput->size());
        for (int i = 0; i < count; ++i) {
            const int target = placed.sampleToOutput->at(i);
            if (target >= 0 && target < m_outputSamples)
                out[target] = in.at(i);
        }
    }
    return PVariant(std::move(out));
}

// Lists per sample: the output sample takes the elements of the last input sample mapped onto it.
template <class T> PVariant MergeSampleColumn::takeLists(const QVector<T>& (PVariant::*vector)() const) {
    const ValueType elementType = m_placed.front().value->sampleMatrix().elementType();
    std::vector<Source>& sources = m_sources;
    sources.assign(static_cast<size_t>(m_outputSamples), Source());
    for (const Placed& placed : m_placed) {
        if (!placed.value->isSampleMatrix() || placed.value->sampleMatrix().elementType() != elementType)
            continue;
        const SampleMatrix& matrix = placed.value->sampleMatrix();
        const int count = std::min(matrix.sampleCount(), placed.sampleToOutput->size());
        for (int i = 0; i < count; ++i) {
            const int target = placed.sampleToOutput->at(i);
            if (target >= 0 && target < m_outputSamples)
                sources[size_t(target)] = {&matrix, i};
        }
    }
    QVector<int32_t> offsets(m_outputSamples + 1);
    offsets[0] = 0;
    for (int s = 0; s < m_outputSamples; ++s) {
        const Source& source = sources[size_t(s)];
        offsets[s + 1] = offsets[s] + (source.matrix ? source.matrix->count(source.sample) : 0);
    }
    QVector<T> values(offsets.last());
    T* out = values.data();
    for (const Source& source : sources) {
        if (!source.matrix)
            continue;
        const T* in = (source.matrix->values().*vector)().constData() + source.matrix->offset(source.sample);
        out = std::copy(in, in + source.matrix->count(source.sample), out);
    }
    return PVariant(SampleMatrix(PVariant(std::move(values)), std::move(offsets)));
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
