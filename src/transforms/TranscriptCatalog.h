#pragma once

#include "transforms/TranscriptConsequence.h"
#include "transforms/TranscriptSource.h"

class ReferenceSequence;

// The transcripts of one chromosome at a time, for a reader that asks which transcripts lie near
// each variant. A chromosome's transcripts are read from the annotation source when a variant
// first lands on it (the previous chromosome's are let go), and each transcript's bases are read
// from the reference once, when a variant first needs them. With variants in position order the
// bases of transcripts the variants have passed are let go too, so memory follows the genes in
// reach, not the genome.
class TranscriptCatalog {
public:
    TranscriptCatalog(VkSourcePtr source, TranscriptSource layout, const ReferenceSequence* reference);

    // The indexes of the transcripts that lie within UpDownstreamDistance of [start, stop) (an
    // insertion: of its place) on a chromosome, in position order; false with the reason.
    bool near(const QByteArray& chromosome, int32_t start, int32_t stop, QVector<int>* indexes,
              QString* error);
    const TranscriptModel& model(int index) const { return m_models[index]; }
    // The bases and protein of a transcript; null, with the reason, when the reference cannot give them.
    const TranscriptSequence* sequence(int index, QString* error);

private:
    bool load(const QByteArray& chromosome, QString* error);
    void release(int below);

    VkSourcePtr m_source;
    TranscriptSource m_layout;
    const ReferenceSequence* m_reference;
    QByteArray m_chromosome;
    bool m_loaded = false;
    // Sorted by start; m_maxStops[i] is the furthest stop of the first i + 1, so a binary search
    // finds the first transcript that can reach a place.
    QVector<TranscriptModel> m_models;
    QVector<int32_t> m_maxStops;
    QVector<TranscriptSequence> m_sequences;
    QVector<char> m_read;
    int m_releasedBelow = 0;
};
