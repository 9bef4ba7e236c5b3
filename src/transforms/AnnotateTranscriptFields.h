#pragma once

#include "transforms/TranscriptConsequence.h"
#include "transforms/join/JoinFieldGroup.h"

// The fields of a variant-transcript annotation, one record per alternate allele and transcript:
//   Alt (TX_ALT)                  the alternate allele the record describes
//   Gene (TX_GENE)                the transcript's gene name (gene_id when the GTF has no name)
//   Transcript (TX_ID)            the transcript identifier
//   Strand (TX_STRAND)            "+" or "-"
//   Region (TX_REGION)            where the allele lies: coding_exon, 5_prime_UTR, 3_prime_UTR,
//                                 noncoding_exon, intron, splice_site (intronic, within 2 bases of
//                                 an exon), splice_region (3 to 8 bases), upstream, downstream
//                                 (within 5 kb), or intergenic (near no transcript: the one record
//                                 of the allele, with the transcript fields missing)
//   Exon, Intron (TX_EXON, TX_INTRON)  the first exon and intron it covers, counted from the
//                                 transcript's start
//   Consequence (TX_CONSEQUENCE)  for a coding change: synonymous, missense, stop_gained,
//                                 stop_lost, start_lost, frameshift, inframe_insertion,
//                                 inframe_deletion
//   Codons, Amino Acids (TX_CODONS, TX_AMINO_ACIDS)  reference/alternate over the touched codons
//   HGVS c., HGVS p. (TX_HGVS_C, TX_HGVS_P)  the change on the transcript and on its protein
// The reader computes each record's values (describe()) and hands them over as the match's values.
class AnnotateTranscriptFields : public JoinFieldGroup {
public:
    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    bool rowPerMatch() const override { return true; }
    QList<int> leftFields() const override { return {m_refAlt}; }
    void computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                       PVariantVector& out) const override;

    // The left field holding the alleles ("A/G", "-" for none).
    int refAltField() const { return m_refAlt; }
    // The values of one record: an allele against a transcript, or alone (intergenic) when model
    // is null.
    void describe(const QByteArray& alt, const TranscriptModel* model, const TranscriptEffect* effect,
                  PVariantVector& out) const;

private:
    int m_refAlt = -1;
};
