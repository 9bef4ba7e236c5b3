#pragma once

#include "expr/Expression.h"
#include "source/readers/FeatureCursor.h"

#include <QHash>

// The settings one expression filter reads with: the expressions' texts, compiled anew by each
// reader (a compiled expression serves one thread), and how their results combine.
struct FilterByExprSettings {
    QString expr;
    QString sampleExpr;
    VkFieldList schema;
    int sampleCount = 0;
    // The one sample the sample expression is evaluated for; -1 for all.
    int sampleIdx = -1;
    bool andSampleResults = false;
    bool andLocusResults = false;
    bool cacheResults = false;
    bool segmentOptimization = false;
};

// Passes on, unchanged, the input features for which the filter's predicate holds:
// 1. with the cache, a feature met before gets its remembered result;
// 2. the locus result is the locus expression's, or "andLocusResults" without one;
// 3. when the locus result equals "andLocusResults" and there is a sample expression, the result is
//    the sample expression's over the samples (all of them under "andSampleResults", else any) or for
//    the one chosen sample; otherwise it is the locus result. So under AND a failing locus
//    expression rejects the feature, and under OR a passing one accepts it, without reading samples.
class FilterByExprReader : public FeatureCursor {
public:
    // Null, with the expression language's message, when an expression does not compile.
    static std::unique_ptr<FilterByExprReader> create(FeatureCursorPtr input,
                                                      const FilterByExprSettings& settings, QString* error);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return m_input->atEnd(); }
    int percentDone() const override { return m_input->percentDone(); }
    bool canReseek() const override { return m_input->canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override {
        return m_input->reseek(regions, error);
    }

    // The input fields the expressions read.
    const QList<int>& fieldsRead() const { return m_fieldsRead; }
    // How many times the predicate was worked out rather than remembered.
    qint64 evaluations() const { return m_evaluations; }

private:
    FilterByExprReader(FeatureCursorPtr input, const FilterByExprSettings& settings);
    bool passes(const VkFeature& feature, bool* result, QString* error);
    bool locusResult(const VkFeature& feature, bool* result, QString* error);
    bool sampleResult(const VkFeature& feature, bool* result, QString* error);
    quint64 keyOf(const VkFeature& feature) const;

    FeatureCursorPtr m_input;
    FilterByExprSettings m_settings;
    std::unique_ptr<Expression> m_locus;
    std::unique_ptr<Expression> m_sample;
    QList<int> m_fieldsRead;
    QHash<quint64, bool> m_cache;
    // The last segment and its result, when the locus expression reads only the segment.
    bool m_segmentOnly = false;
    bool m_haveSegment = false;
    VkSegment m_lastSegment;
    bool m_lastSegmentResult = false;
    qint64 m_evaluations = 0;
};
