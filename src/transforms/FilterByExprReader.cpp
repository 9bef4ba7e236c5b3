#include "transforms/FilterByExprReader.h"

namespace {

// 64-bit FNV-1a, continued from hash.
quint64 mix(quint64 hash, const char* bytes, int size) {
    for (int i = 0; i < size; ++i) {
        hash ^= uchar(bytes[i]);
        hash *= 1099511628211ULL;
    }
    return hash;
}

template <class T> quint64 mixValue(quint64 hash, T value) {
    return mix(hash, reinterpret_cast<const char*>(&value), int(sizeof value));
}

} // namespace

FilterByExprReader::FilterByExprReader(FeatureCursorPtr input, const FilterByExprSettings& settings)
    : m_input(std::move(input)), m_settings(settings) {}

std::unique_ptr<FilterByExprReader>
FilterByExprReader::create(FeatureCursorPtr input, const FilterByExprSettings& settings, QString* error) {
    std::unique_ptr<FilterByExprReader> reader(new FilterByExprReader(std::move(input), settings));
    if (!settings.expr.trimmed().isEmpty()) {
        reader->m_locus =
            Expression::compile(settings.expr, settings.schema, Expression::Scope::Locus, error);
        if (!reader->m_locus)
            return nullptr;
        reader->m_fieldsRead = reader->m_locus->fieldsRead();
        reader->m_segmentOnly = settings.segmentOptimization && reader->m_locus->readsOnlySegment();
    }
    if (!settings.sampleExpr.trimmed().isEmpty()) {
        reader->m_sample =
            Expression::compile(settings.sampleExpr, settings.schema, Expression::Scope::Sample, error);
        if (!reader->m_sample)
            return nullptr;
        for (int field : reader->m_sample->fieldsRead())
            if (!reader->m_fieldsRead.contains(field))
                reader->m_fieldsRead << field;
    }
    return reader;
}

bool FilterByExprReader::fill(VkFeatureList& batch, int maxCount, QString* error) {
    const int wanted = batch.size() + maxCount;
    while (batch.size() < wanted && !m_input->atEnd()) {
        const int first = batch.size();
        if (!m_input->fill(batch, wanted - first, error))
            return false;
        int kept = first;
        for (int i = first; i < batch.size(); ++i) {
            bool pass = false;
            if (!passes(batch.at(i), &pass, error))
                return false;
            if (pass && kept != i)
                batch.swapItemsAt(kept, i);
            kept += pass ? 1 : 0;
        }
        batch.erase(batch.begin() + kept, batch.end());
    }
    return true;
}

bool FilterByExprReader::passes(const VkFeature& feature, bool* result, QString* error) {
    const quint64 key = m_settings.cacheResults ? keyOf(feature) : 0;
    if (m_settings.cacheResults) {
        const auto cached = m_cache.constFind(key);
        if (cached != m_cache.constEnd()) {
            *result = cached.value();
            return true;
        }
    }
    ++m_evaluations;
    if (!locusResult(feature, result, error))
        return false;
    if (*result == m_settings.andLocusResults && m_sample && !sampleResult(feature, result, error))
        return false;
    if (m_settings.cacheResults)
        m_cache.insert(key, *result);
    return true;
}

bool FilterByExprReader::locusResult(const VkFeature& feature, bool* result, QString* error) {
    if (!m_locus) {
        *result = m_settings.andLocusResults;
        return true;
    }
    if (m_segmentOnly && m_haveSegment && feature.segment() == m_lastSegment) {
        *result = m_lastSegmentResult;
        return true;
    }
    m_locus->load(feature);
    if (!m_locus->test(feature, -1, result, error))
        return false;
    if (m_segmentOnly) {
        m_haveSegment = true;
        m_lastSegment = feature.segment();
        m_lastSegmentResult = *result;
    }
    return true;
}

bool FilterByExprReader::sampleResult(const VkFeature& feature, bool* result, QString* error) {
    m_sample->load(feature);
    if (m_settings.sampleIdx >= 0)
        return m_sample->test(feature, m_settings.sampleIdx, result, error);
    // All samples pass until one fails; any sample passes once one does.
    const bool all = m_settings.andSampleResults;
    *result = all;
    for (int sample = 0; sample < m_settings.sampleCount && *result == all; ++sample)
        if (!m_sample->test(feature, sample, result, error))
            return false;
    return true;
}

// The segment and the values the expressions read: features that agree on these get one result.
quint64 FilterByExprReader::keyOf(const VkFeature& feature) const {
    const VkSegment& segment = feature.segment();
    quint64 hash =
        mix(14695981039346656037ULL, segment.chromosome().constData(), segment.chromosome().size());
    hash = mixValue(mixValue(hash, segment.start()), segment.stop());
    for (int field : m_fieldsRead) {
        const QByteArray text = feature.value(field).toText();
        hash = mix(mixValue(hash, text.size()), text.constData(), text.size());
    }
    return hash;
}
