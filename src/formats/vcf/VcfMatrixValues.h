#pragma once

#include "formats/vcf/VcfSchema.h"
#include "formats/vcf/VcfText.h"

#include <QString>

#include <vector>

class TextCache;

// Collects the values of one FORMAT key over all samples of one record, straight into the typed
// vector the feature will hold: an Int, Float or String array with one value per sample, or, for
// a list per sample (AD, PL ...), a SampleMatrix of one flat typed array plus offsets. Samples
// without a value stay missing (or have an empty list).
class VcfMatrixValues {
public:
    VcfMatrixValues(const VcfKey& key, int sampleCount, TextCache* cache);

    const VcfKey& key() const { return m_key; }
    // Starts a record: every sample missing.
    void begin();
    // Reads one sample's sub-field starting at p; returns the position of the character that ends
    // it (":", tab or NUL), or null when the text is not a value of the key's type (then
    // problem() says why).
    const char* read(int sample, const char* p);
    // The record's values; begin() must be called before the next record.
    PVariant take();
    const QString& problem() const { return m_problem; }

private:
    const char* readScalar(int sample, const char* p);
    const char* readList(int sample, const char* p);
    const char* readGenotype(int sample, const char* p);
    bool invalid(VcfText::Status status, const char* begin) {
        return status == VcfText::Status::Invalid && describeInvalid(begin);
    }
    bool describeInvalid(const char* begin);
    QVector<int32_t> sharedOffsets();

    VcfKey m_key;
    int m_sampleCount;
    TextCache* m_cache;
    QString m_problem;
    // One value per sample.
    QVector<int32_t> m_ints;
    QVector<float> m_floats;
    QVector<QByteArray> m_texts;
    // Lists per sample: flat values reused from record to record, and the offsets of each sample.
    std::vector<int32_t> m_flatInts;
    std::vector<float> m_flatFloats;
    std::vector<QByteArray> m_flatTexts;
    std::vector<int32_t> m_offsets;
    QVector<int32_t> m_lastOffsets;
    int m_samplesDone = 0;
};
