#pragma once

#include "transforms/TranscriptModel.h"

// What a change does to the protein of a coding transcript.
enum class CodingConsequence {
    None, // not in the coding sequence, or not computable (a symbolic allele, a change across a splice)
    Synonymous,
    Missense,
    StopGained,
    StopLost,
    StartLost,
    Frameshift,
    InframeInsertion,
    InframeDeletion,
};

// The bases of a transcript read in its direction (upper case), and the protein its coding
// sequence translates to, in one-letter codes up to and with its first stop ('*').
struct TranscriptSequence {
    QByteArray mrna;
    QByteArray protein;
};

// The effect of one alternate allele on one transcript.
struct TranscriptEffect {
    TranscriptModel::Location location;
    CodingConsequence consequence = CodingConsequence::None;
    // Codons and amino acids: reference and alternate over the codons the change touches
    // ("cGt/cAt", "R/H"; one amino acid when both are the same); HGVS c. (n. for a non-coding
    // transcript) and p. descriptions on the transcript, without a sequence name.
    QByteArray codons;
    QByteArray aminoAcids;
    QByteArray hgvsC;
    QByteArray hgvsP;
};

// Works out the effect of alleles on transcripts: the region class, and for changes that reach
// the coding sequence the consequence, codons, amino acids and the HGVS descriptions. Indels are
// described at their most 3' place along the transcript, as HGVS asks. Keeps its scratch space
// between calls; one instance per thread.
class TranscriptConsequence {
public:
    // One alternate on the genome's forward strand, with no base shared with the reference at
    // either end: [start, stop) is replaced by alt (ref and alt may be empty).
    struct Allele {
        int32_t start = 0;
        int32_t stop = 0;
        QByteArray ref;
        QByteArray alt;
    };

    // The one-letter code of a codon in the standard genetic code; 'X' when it holds a base other
    // than A, C, G or T.
    static char aminoAcid(const char* codon);
    // Appends the translation of whole codons of bases, up to and with the first stop.
    static void translate(const char* bases, int length, QByteArray* out);
    static QByteArray reverseComplement(const QByteArray& bases);
    // The protein of a coding transcript's mRNA.
    static QByteArray protein(const TranscriptModel& model, const QByteArray& mrna);

    // The effect of an allele on a transcript whose sequence is given (empty bases for the
    // location and HGVS c. of an allele outside the coding sequence only).
    void compute(const TranscriptModel& model, const TranscriptSequence& sequence, const Allele& allele,
                 TranscriptEffect* effect);

private:
    struct Change {
        int start; // mRNA indexes [start, stop) replaced by alt, in the transcript's direction
        int stop;
        QByteArray alt;
    };
    static void shiftThreePrime(const TranscriptModel& model, const QByteArray& mrna, Change* change);
    static TranscriptRegion codingRegion(const TranscriptModel& model, const Change& change);
    QByteArray hgvsGenomic(const TranscriptModel& model, const Allele& allele) const;
    static QByteArray hgvsMrna(const TranscriptModel& model, const QByteArray& mrna, const Change& change);
    void codingEffect(const TranscriptModel& model, const TranscriptSequence& sequence, const Change& change,
                      TranscriptEffect* effect);
    void describeWindow(const TranscriptSequence& sequence, const Change& change, int windowStart,
                        int windowStop, TranscriptEffect* effect);
    void localChange(int firstCodon, int lengthChange, TranscriptEffect* effect) const;
    void proteinChange(const QByteArray& protein, int firstCodon, int lastCodon, int lengthChange,
                       TranscriptEffect* effect);

    QByteArray m_ref;
    QByteArray m_alt;
    QByteArray m_tail;
    QByteArray m_altProtein;
    QByteArray m_refAas;
    QByteArray m_altAas;
};
