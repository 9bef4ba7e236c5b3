#pragma once

#include "transforms/AnnotateTranscriptFields.h"
#include "transforms/TranscriptCatalog.h"
#include "transforms/join/JoinRows.h"
#include "transforms/join/LeftFeatureCursor.h"

// The reader of the transcript annotation: every input variant, once per alternate allele and
// transcript within reach (or once per alternate with the transcript fields missing when none is),
// with what the allele does to that transcript.
class AnnotateTranscriptReader : public LeftFeatureCursor {
public:
    AnnotateTranscriptReader(FeatureCursorPtr left, TranscriptCatalog catalog,
                             std::shared_ptr<const AnnotateTranscriptFields> fields, JoinRows rows);

private:
    bool join(const VkFeature& left, std::deque<VkFeature>& output, QString* error) override;
    // Adds the records of one alternate allele to m_matches.
    bool annotateAllele(const VkFeature& left, const QByteArray& ref, const QByteArray& alt, QString* error);
    void addMatch(const QByteArray& alt, const TranscriptModel* model);

    TranscriptCatalog m_catalog;
    std::shared_ptr<const AnnotateTranscriptFields> m_fields;
    JoinRows m_rows;
    JoinMatches m_matches;
    QVector<int> m_near;
    TranscriptConsequence m_consequence;
    TranscriptEffect m_effect;
    TranscriptConsequence::Allele m_allele;
};
