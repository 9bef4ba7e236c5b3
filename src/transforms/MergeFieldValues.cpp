#include "transforms/MergeFieldValues.h"

#include "source/values/SampleMatrix.h"
#include "source/values/TextCache.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace MergeFieldValues {

namespace {

bool isNumeric(ValueType type) {
    return type == ValueType::Int || type == ValueType::Float || type == ValueType::Float64 ||
           type == ValueType::IntArray || type == ValueType::FloatArray || type == ValueType::Float64Array;
}

bool present(const PVariant& value) {
    return value.isValid() && !value.isMissing();
}

PVariant takeFirst(const QVector<PVariant>& values) {
    for (const PVariant& value : values)
        if (present(value))
            return value;
    return PVariant();
}

PVariant clearUnlessEqual(const QVector<PVariant>& values) {
    PVariant first;
    for (const PVariant& value : values) {
        if (!present(value))
            continue;
        if (!first.isValid())
            first = value;
        else if (value != first)
            return PVariant();
    }
    return first;
}

// The elements of every value, one list; only distinct ones for unique.
PVariant collect(const QVector<PVariant>& values, ValueType outputType, bool unique) {
    if (outputType == ValueType::CategoricalArray) {
        CategoricalVector out;
        for (const PVariant& value : values)
            if (value.type() == ValueType::CategoricalArray)
                for (int i = 0; i < value.categoricalVector().size(); ++i)
                    if (!unique || !out.names().contains(value.categoricalVector().name(i)))
                        out.append(value.categoricalVector().code(i), value.categoricalVector().name(i));
        return PVariant(out);
    }
    PVariantVector elements;
    for (const PVariant& value : values) {
        if (!present(value))
            continue;
        const int count = value.isVector() ? value.size() : 1;
        for (int i = 0; i < count; ++i) {
            PVariant element = value.isVector() ? value.at(i) : value;
            if (!unique || !elements.contains(element))
                elements.append(std::move(element));
        }
    }
    switch (outputType) {
    case ValueType::IntArray: {
        QVector<int32_t> out;
        for (const PVariant& element : elements)
            out.append(element.toInt());
        return PVariant(out);
    }
    case ValueType::FloatArray: {
        QVector<float> out;
        for (const PVariant& element : elements)
            out.append(float(element.toDouble()));
        return PVariant(out);
    }
    case ValueType::StringArray: {
        QVector<QByteArray> out;
        for (const PVariant& element : elements)
            out.append(element.toText());
        return PVariant(out);
    }
    default:
        return takeFirst(values);
    }
}

// The list every record has, when it has at most one element and the output's type: uniting
// copies of it gives it back, so the usual case (no ID, one filter, no flags) builds nothing.
const PVariant* commonShortList(const QVector<PVariant>& values, ValueType outputType) {
    if (values.isEmpty() || values.first().type() != outputType || values.first().size() > 1)
        return nullptr;
    for (const PVariant& value : values)
        if (value != values.first())
            return nullptr;
    return &values.first();
}

// Element by element over the records' numbers: mean, least or greatest of those present.
PVariant numeric(int behavior, const QVector<PVariant>& values, ValueType outputType) {
    QVector<double> sums;
    QVector<int> counts;
    for (const PVariant& value : values) {
        if (!present(value))
            continue;
        const int count = value.isVector() ? value.size() : 1;
        if (sums.size() < count) {
            sums.resize(count);
            counts.resize(count);
        }
        for (int i = 0; i < count; ++i) {
            const PVariant element = value.isVector() ? value.at(i) : value;
            if (!present(element))
                continue;
            const double number = element.toDouble();
            if (counts[i] == 0)
                sums[i] = number;
            else if (behavior == MergeNumericMin)
                sums[i] = std::min(sums[i], number);
            else if (behavior == MergeNumericMax)
                sums[i] = std::max(sums[i], number);
            else
                sums[i] += number;
            ++counts[i];
        }
    }
    if (sums.isEmpty())
        return PVariant();
    if (behavior == MergeNumericMean)
        for (int i = 0; i < sums.size(); ++i)
            sums[i] = counts[i] ? sums[i] / counts[i] : 0;
    switch (outputType) {
    case ValueType::Int:
        return counts[0] ? PVariant(int(std::lround(sums[0]))) : PVariant();
    case ValueType::Float:
        return counts[0] ? PVariant(float(sums[0])) : PVariant();
    case ValueType::Float64:
        return counts[0] ? PVariant(sums[0]) : PVariant();
    case ValueType::IntArray: {
        QVector<int32_t> out(sums.size());
        for (int i = 0; i < sums.size(); ++i)
            out[i] = counts[i] ? int32_t(std::lround(sums[i])) : PVariant::MissingInt;
        return PVariant(out);
    }
    default: {
        QVector<float> out(sums.size());
        for (int i = 0; i < sums.size(); ++i)
            out[i] = counts[i] ? float(sums[i]) : PVariant::MissingFloat;
        return PVariant(out);
    }
    }
}

template <class T>
void layAlleles(const T* in, int count, const QVector<int>& alleleMap, int offset, T* out, int outCount,
                const T& missing) {
    for (int k = 0; k < count; ++k) {
        const int allele = k + offset;
        if (allele >= alleleMap.size())
            break;
        const int target = alleleMap.at(allele) - offset;
        if (target >= 0 && target < outCount && out[target] == missing)
            out[target] = in[k];
    }
}

template <class T>
PVariant reindexTyped(const QVector<T>& in, const QVector<int>& alleleMap, int offset, int outCount,
                      const PVariant* existing, const QVector<T>& (PVariant::*vector)() const, T missing) {
    QVector<T> out(outCount, missing);
    if (existing && existing->isValid() && existing->type() != ValueType::Invalid) {
        const QVector<T>& kept = (existing->*vector)();
        std::copy(kept.begin(), kept.begin() + std::min(kept.size(), outCount), out.begin());
    }
    layAlleles(in.constData(), in.size(), alleleMap, offset, out.data(), outCount, missing);
    return PVariant(std::move(out));
}

// Decimal digits of a non-negative number.
void appendNumber(int number, QVarLengthArray<char, 64>& text) {
    char digits[12];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, number);
    text.append(digits, int(written.ptr - digits));
}

int genotypeCount(int alleles) {
    return alleles * (alleles + 1) / 2;
}

} // namespace

ValueType outputType(ValueType input, int behavior) {
    if (behavior == MergeUnique || behavior == MergeTakeAll) {
        const ValueType array = ValueTypes::arrayOf(input);
        return array == ValueType::Invalid ? input : array;
    }
    if (behavior == MergeNumericMean) {
        if (input == ValueType::Int)
            return ValueType::Float;
        if (input == ValueType::IntArray)
            return ValueType::FloatArray;
    }
    return input;
}

PVariant merge(int behavior, const QVector<PVariant>& values, ValueType outputType) {
    switch (behavior) {
    case MergeClear:
        return clearUnlessEqual(values);
    case MergeUnique:
        if (const PVariant* common = commonShortList(values, outputType))
            return *common;
        return collect(values, outputType, true);
    case MergeTakeAll:
        return collect(values, outputType, false);
    case MergeNumericMean:
    case MergeNumericMin:
    case MergeNumericMax:
        return isNumeric(outputType) ? numeric(behavior, values, outputType) : takeFirst(values);
    default:
        return takeFirst(values);
    }
}

AlleleNumber alleleNumberOf(const VkField& field) {
    const QByteArray number = field.props.value("Number").toText();
    if (number == "A")
        return AlleleNumber::PerAlternate;
    if (number == "R")
        return AlleleNumber::PerAllele;
    if (number == "G")
        return AlleleNumber::PerGenotype;
    return AlleleNumber::None;
}

namespace {
void reindexListWith(const PVariant& values, const QVector<int>& alleleMap, int offset, int outCount,
                     PVariant* out) {
    const PVariant* existing = out->type() == values.type() ? out : nullptr;
    switch (values.type()) {
    case ValueType::IntArray:
        *out = reindexTyped(values.intVector(), alleleMap, offset, outCount, existing, &PVariant::intVector,
                            PVariant::MissingInt);
        break;
    case ValueType::FloatArray:
        *out = reindexTyped(values.floatVector(), alleleMap, offset, outCount, existing,
                            &PVariant::floatVector, PVariant::MissingFloat);
        break;
    case ValueType::StringArray:
        *out = reindexTyped(values.stringVector(), alleleMap, offset, outCount, existing,
                            &PVariant::stringVector, QByteArray("."));
        break;
    default:
        if (!out->isValid())
            *out = values;
    }
}

} // namespace

void reindexList(const PVariant& values, const QVector<int>& alleleMap, AlleleNumber number,
                 int outputAlleles, PVariant* out) {
    if (number != AlleleNumber::PerGenotype) {
        const int offset = number == AlleleNumber::PerAlternate ? 1 : 0;
        reindexListWith(values, alleleMap, offset, outputAlleles - offset, out);
        return;
    }
    QVector<int> genotypes;
    genotypeMap(alleleMap, &genotypes);
    if (values.size() == genotypes.size())
        reindexListWith(values, genotypes, 0, genotypeCount(outputAlleles), out);
    else if (!out->isValid())
        *out = values;
}

void genotypeMap(const QVector<int>& alleleMap, QVector<int>* map) {
    const int alleles = alleleMap.size();
    map->resize(genotypeCount(alleles));
    int* places = map->data();
    for (int b = 0; b < alleles; ++b) {
        for (int a = 0; a <= b; ++a) {
            const int low = std::min(alleleMap.at(a), alleleMap.at(b));
            const int high = std::max(alleleMap.at(a), alleleMap.at(b));
            places[genotypeCount(b) + a] = genotypeCount(high) + low;
        }
    }
}

ListLayout layoutOf(const ListRemap& remap, int count) {
    if (count == 0)
        return ListLayout();
    if (remap.number != AlleleNumber::PerGenotype) {
        const int offset = remap.number == AlleleNumber::PerAlternate ? 1 : 0;
        return ListLayout{remap.alleles, offset, remap.outputAlleles - offset};
    }
    // Diploid samples have a value per genotype, haploid ones a value per allele.
    if (count == remap.genotypes->size())
        return ListLayout{remap.genotypes, 0, genotypeCount(remap.outputAlleles)};
    if (count == remap.alleles->size())
        return ListLayout{remap.alleles, 0, remap.outputAlleles};
    return ListLayout();
}

void layList(const int32_t* in, int count, const ListLayout& layout, int32_t* out) {
    std::fill_n(out, layout.width, PVariant::MissingInt);
    layAlleles(in, count, *layout.map, layout.offset, out, layout.width, PVariant::MissingInt);
}

void layList(const float* in, int count, const ListLayout& layout, float* out) {
    std::fill_n(out, layout.width, PVariant::MissingFloat);
    layAlleles(in, count, *layout.map, layout.offset, out, layout.width, PVariant::MissingFloat);
}

PVariant reindexGenotypes(const PVariant& genotypes, const QVector<int>& alleleMap, TextCache& texts) {
    if (genotypes.type() != ValueType::StringArray)
        return genotypes;
    const QVector<QByteArray>& in = genotypes.stringVector();
    QVector<QByteArray> out(in.size());
    QVarLengthArray<char, 64> mapped;
    for (int s = 0; s < in.size(); ++s) {
        const QByteArray& text = in.at(s);
        // Samples mostly share a handful of genotypes, held as one shared text each.
        if (s > 0 && text.constData() == in.at(s - 1).constData()) {
            out[s] = out.at(s - 1);
            continue;
        }
        mapped.clear();
        for (int i = 0; i < text.size();) {
            if (!std::isdigit(static_cast<unsigned char>(text.at(i)))) {
                mapped.append(text.at(i++));
                continue;
            }
            int allele = 0;
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text.at(i))))
                allele = std::min(allele * 10 + (text.at(i++) - '0'), 1 << 24);
            appendNumber(allele < alleleMap.size() ? alleleMap.at(allele) : allele, mapped);
        }
        out[s] = texts.text(mapped.constData(), mapped.size());
    }
    return PVariant(std::move(out));
}

} // namespace MergeFieldValues
