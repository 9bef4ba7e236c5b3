#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"
#include "transforms/AlignReferenceCache.h"
#include "transforms/FeatureAligner.h"

#include <deque>
#include <memory>

// Where a variant source keeps its alleles: the reference and alternates fields, the combined
// "Ref/Alt" field, or both.
struct AlignFields {
    int ref = -1;
    int alt = -1;
    int refAlt = -1;

    bool hasAlleles() const { return (ref >= 0 && alt >= 0) || refAlt >= 0; }
};

// What an alignment transform's reader needs besides its input.
struct AlignSettings {
    AlignFields fields;
    VkSourcePtr reference;
    int windowSize = 8;
    bool duplicateRecords = false;
};

// Reads the input's variants, aligns each (and keeps it as read too, with "duplicateRecords") and
// emits them in position order. Aligned records may move before records read earlier, so output
// waits in a queue ordered by start until no record still to come can land before its front: the
// queue holds at least 35 records and its front lies further behind the latest input than any
// record can move. Fields other than the alleles, and the sample data, pass through unchanged.
class AlignReader : public FeatureCursor {
public:
    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return m_queue.empty() && m_inputDone; }
    int percentDone() const override { return m_input->percentDone(); }
    bool canReseek() const override { return m_input->canReseek(); }
    bool reseek(const QList<VkSegment>& regions, QString* error) override;

protected:
    AlignReader(FeatureCursorPtr input, AlignSettings settings, std::unique_ptr<FeatureAligner> aligner);

private:
    bool frontIsFinal() const;
    bool readNext(QString* error);
    FeatureAligner::Result alignFeature(VkFeature& feature, QString* error);
    bool readAlleles(const VkFeature& feature);
    void writeAlleles(VkFeature& feature) const;
    void enqueue(VkFeature feature);

    FeatureCursorPtr m_input;
    AlignSettings m_settings;
    std::unique_ptr<FeatureAligner> m_aligner;
    AlignReferenceCache m_cache;
    VkFeatureList m_inputBatch;
    int m_inputNext = 0;
    bool m_inputDone = false;
    VkSegment m_lastRead;
    std::deque<VkFeature> m_queue;
    VariantAlleles m_alleles;
};

class LeftAlignReader : public AlignReader {
public:
    LeftAlignReader(FeatureCursorPtr input, AlignSettings settings)
        : AlignReader(std::move(input), std::move(settings), std::make_unique<LeftFeatureAligner>()) {}
};

class RightAlignReader : public AlignReader {
public:
    RightAlignReader(FeatureCursorPtr input, AlignSettings settings)
        : AlignReader(std::move(input), std::move(settings), std::make_unique<RightFeatureAligner>()) {}
};
