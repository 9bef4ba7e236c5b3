#include "formats/vcf/VcfMatrixValues.h"

#include "source/values/SampleMatrix.h"
#include "source/values/TextCache.h"

#include <algorithm>
#include <cstring>

using namespace VcfText;

namespace {

template <class T> QVector<T> toVector(const std::vector<T>& values) {
    QVector<T> vector(int(values.size()));
    // An empty vector's data() may be null, which memcpy must not be given even for no bytes.
    if (!values.empty())
        std::memcpy(static_cast<void*>(vector.data()), values.data(), values.size() * sizeof(T));
    return vector;
}

QVector<QByteArray> toVector(const std::vector<QByteArray>& values) {
    QVector<QByteArray> vector;
    vector.reserve(int(values.size()));
    for (const QByteArray& value : values)
        vector.append(value);
    return vector;
}

bool isGenotypeCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '/' || c == '|' || c == '.';
}

} // namespace

VcfMatrixValues::VcfMatrixValues(const VcfKey& key, int sampleCount, TextCache* cache)
    : m_key(key), m_sampleCount(sampleCount), m_cache(cache) {}

void VcfMatrixValues::begin() {
    m_samplesDone = 0;
    if (m_key.list) {
        m_flatInts.clear();
        m_flatFloats.clear();
        m_flatTexts.clear();
        m_offsets.assign(size_t(m_sampleCount) + 1, 0);
        return;
    }
    switch (m_key.kind) {
    case VcfKey::Int:
        m_ints = QVector<int32_t>(m_sampleCount, PVariant::MissingInt);
        break;
    case VcfKey::Float:
        m_floats = QVector<float>(m_sampleCount, PVariant::MissingFloat);
        break;
    default:
        m_texts = QVector<QByteArray>(m_sampleCount);
        break;
    }
}

const char* VcfMatrixValues::read(int sample, const char* p) {
    if (m_key.genotype)
        return readGenotype(sample, p);
    return m_key.list ? readList(sample, p) : readScalar(sample, p);
}

// A scalar key given a list keeps its first element, as a list's first value is the one meant.
const char* VcfMatrixValues::readScalar(int sample, const char* p) {
    Status status = Status::Ok;
    const char* begin = p;
    switch (m_key.kind) {
    case VcfKey::Int:
        p = readInt(p, SampleElementEnd, m_ints.data() + sample, &status);
        break;
    case VcfKey::Float:
        p = readFloat(p, SampleElementEnd, m_floats.data() + sample, &status);
        break;
    default: {
        const char* end = skipTo(p, SampleValueEnd);
        if (!isMissing(p, SampleValueEnd))
            m_texts.data()[sample] = m_cache->text(p, int(end - p));
        return end;
    }
    }
    if (invalid(status, begin))
        return nullptr;
    return skipTo(p, SampleValueEnd);
}

const char* VcfMatrixValues::readList(int sample, const char* p) {
    int32_t* offsets = m_offsets.data();
    const int32_t size = int32_t(m_flatInts.size() + m_flatFloats.size() + m_flatTexts.size());
    for (; m_samplesDone < sample; ++m_samplesDone)
        offsets[m_samplesDone + 1] = size;
    m_samplesDone = sample + 1;
    if (isMissing(p, SampleValueEnd)) {
        offsets[sample + 1] = size;
        return skipTo(p, SampleValueEnd);
    }
    const char* begin = p;
    Status status = Status::Ok;
    for (;; ++p) {
        if (m_key.kind == VcfKey::Int) {
            int32_t value;
            p = readInt(p, SampleElementEnd, &value, &status);
            m_flatInts.push_back(value);
        } else if (m_key.kind == VcfKey::Float) {
            float value;
            p = readFloat(p, SampleElementEnd, &value, &status);
            m_flatFloats.push_back(value);
        } else {
            const char* end = skipTo(p, SampleElementEnd);
            m_flatTexts.push_back(isMissing(p, SampleElementEnd) ? QByteArray()
                                                                 : m_cache->text(p, int(end - p)));
            p = end;
        }
        if (invalid(status, begin))
            return nullptr;
        if (*p != ',')
            break;
    }
    offsets[sample + 1] = int32_t(m_flatInts.size() + m_flatFloats.size() + m_flatTexts.size());
    return p;
}

// Genotypes are allele numbers and "." joined by "/" or "|"; anything else is refused, as htslib
// does, rather than passed on as a genotype nobody can read.
const char* VcfMatrixValues::readGenotype(int sample, const char* p) {
    const char* end = p;
    while (isGenotypeCharacter(*end))
        ++end;
    if (end == p || !SampleValueEnd(*end)) {
        m_problem = QStringLiteral("'%1' is not a genotype")
                        .arg(QString::fromUtf8(p, int(skipTo(end, SampleValueEnd) - p)));
        return nullptr;
    }
    m_texts.data()[sample] = m_cache->text(p, int(end - p));
    return end;
}

bool VcfMatrixValues::describeInvalid(const char* begin) {
    const char* end = skipTo(begin, SampleValueEnd);
    m_problem =
        QStringLiteral("'%1' is not %2")
            .arg(QString::fromUtf8(begin, int(end - begin)),
                 m_key.kind == VcfKey::Int ? QStringLiteral("an integer") : QStringLiteral("a number"));
    return true;
}

PVariant VcfMatrixValues::take() {
    if (!m_key.list) {
        switch (m_key.kind) {
        case VcfKey::Int:
            return PVariant(std::move(m_ints));
        case VcfKey::Float:
            return PVariant(std::move(m_floats));
        default:
            return PVariant(std::move(m_texts));
        }
    }
    const int32_t size = int32_t(m_flatInts.size() + m_flatFloats.size() + m_flatTexts.size());
    for (int32_t* offsets = m_offsets.data(); m_samplesDone < m_sampleCount; ++m_samplesDone)
        offsets[m_samplesDone + 1] = size;
    PVariant flat = m_key.kind == VcfKey::Int     ? PVariant(toVector(m_flatInts))
                    : m_key.kind == VcfKey::Float ? PVariant(toVector(m_flatFloats))
                                                  : PVariant(toVector(m_flatTexts));
    return PVariant(SampleMatrix(std::move(flat), sharedOffsets()));
}

// Records mostly give each sample as many values as the record before (the same number of
// alleles), and then share its offsets.
QVector<int32_t> VcfMatrixValues::sharedOffsets() {
    if (size_t(m_lastOffsets.size()) != m_offsets.size() ||
        !std::equal(m_offsets.begin(), m_offsets.end(), m_lastOffsets.constBegin()))
        m_lastOffsets = toVector(m_offsets);
    return m_lastOffsets;
}
