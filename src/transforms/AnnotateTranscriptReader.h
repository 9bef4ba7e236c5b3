#pragma once

#include "source/readers/FeatureCursor.h"
#include "transforms/AnnotateTranscriptFields.h"
#include "transforms/TranscriptCatalog.h"
#include "transforms/join/JoinRows.h"

#include <deque>

// The reader of the transcript annotation: every input variant, once per alternate allele and
// transcript within reach (or once per alternate with the transcript fields missing when none is),
// with what the allele does to that transcript.
class AnnotateTranscriptReader : public FeatureCursor {
public:
    AnnotateTranscriptReader(FeatureCursorPtr left, TranscriptCatalog catalog,
                             std::shared_ptr<const AnnotateTranscriptFields> fields, JoinRows rows);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override;
    int percentDone() const override { return m_left->percentDone(); }

private:
    // Puts the output records of one variant into the buffer; false with the reason.
    bool annotate(const VkFeature& left, QString* error);
    // Adds the records of one alternate allele to m_matches.
    bool annotateAllele(const VkFeature& left, const QByteArray& ref, const QByteArray& alt, QString* error);
    void addMatch(const QByteArray& alt, const TranscriptModel* model);

    FeatureCursorPtr m_left;
    TranscriptCatalog m_catalog;
    std::shared_ptr<const AnnotateTranscriptFields> m_fields;
    JoinRows m_rows;
    VkFeatureList m_leftBatch;
    int m_nextLeft = 0;
    std::deque<VkFeature> m_output;
    JoinMatches m_matches;
    QVector<int> m_near;
    TranscriptConsequence m_consequence;
    TranscriptEffect m_effect;
    TranscriptConsequence::Allele m_allele;
};
