// Variant-transcript consequences worked out by hand on a small two-exon transcript, and the same
// transcript mirrored onto the reverse strand, which must give the same answers.
#include "transforms/TranscriptConsequence.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

// 5' flank, exon 1 (5' UTR "GC", then ATG AAA TG), a 10-base intron (GT...AG), exon 2 (G CTT GGT
// TAA, then the 3' UTR CCGCC), 3' flank. The coding sequence ATG AAA TGG CTT GGT TAA reads
// M K W L G *, its third codon split by the intron.
const QByteArray kGenome = "TTTTT"
                           "GCATGAAATG"
                           "GTAAGTCTAG"
                           "GCTTGGTTAACCGCC"
                           "TTTTTTTTTT";
const int32_t kLength = 50;

struct Case {
    int32_t start; // forward-strand place and alleles
    QByteArray ref;
    QByteArray alt;
    TranscriptRegion region;
    int exon;
    int intron;
    CodingConsequence consequence;
    QByteArray codons;
    QByteArray aminoAcids;
    QByteArray hgvsC;
    QByteArray hgvsP;
};

class TranscriptConsequenceTest : public ::testing::TestWithParam<bool> {
protected:
    // The transcript on the forward strand, or mirrored onto the reverse strand of the reverse
    // complement genome.
    void SetUp() override {
        m_reverse = GetParam();
        m_genome = m_reverse ? TranscriptConsequence::reverseComplement(kGenome) : kGenome;
        m_model = TranscriptModel("T1", "G1", "chr1", m_reverse);
        m_model.addExon(place(5, 15).first, place(5, 15).second);
        m_model.addExon(place(25, 40).first, place(25, 40).second);
        m_model.addCoding(place(7, 35).first, place(7, 35).second);
        QString error;
        ASSERT_TRUE(m_model.finish(&error)) << error.toStdString();
        QByteArray mrna;
        for (const TranscriptModel::Interval& exon : m_model.exons())
            mrna += m_genome.mid(exon.start, exon.stop - exon.start);
        m_sequence.mrna = m_reverse ? TranscriptConsequence::reverseComplement(mrna) : mrna;
        m_sequence.protein = TranscriptConsequence::protein(m_model, m_sequence.mrna);
    }
    std::pair<int32_t, int32_t> place(int32_t start, int32_t stop) const {
        return m_reverse ? std::make_pair(kLength - stop, kLength - start) : std::make_pair(start, stop);
    }
    TranscriptEffect effectOf(const Case& c) {
        TranscriptConsequence::Allele allele;
        const auto where = place(c.start, c.start + c.ref.size());
        allele.start = where.first;
        allele.stop = where.second;
        allele.ref = m_reverse ? TranscriptConsequence::reverseComplement(c.ref) : c.ref;
        allele.alt = m_reverse ? TranscriptConsequence::reverseComplement(c.alt) : c.alt;
        EXPECT_EQ(m_genome.mid(allele.start, allele.ref.size()), allele.ref) << "case at " << c.start;
        TranscriptEffect effect;
        m_calculator.compute(m_model, m_sequence, allele, &effect);
        return effect;
    }

    bool m_reverse = false;
    QByteArray m_genome;
    TranscriptModel m_model;
    TranscriptSequence m_sequence;
    TranscriptConsequence m_calculator;
};

using R = TranscriptRegion;
using C = CodingConsequence;

TEST_P(TranscriptConsequenceTest, HandWorkedAllelesGiveTheirEffects) {
    EXPECT_EQ(m_sequence.protein, "MKWLG*");
    EXPECT_EQ(m_model.codingOffset(), 2);
    EXPECT_EQ(m_model.codingEnd(), 20);
    const QList<Case> cases = {
        // CTT (Leu 4) to ATT.
        {26, "C", "A", R::CodingExon, 2, 0, C::Missense, "Ctt/Att", "L/I", "c.10C>A", "p.Leu4Ile"},
        // TGG (Trp 3) split by the intron: either G of it makes a stop.
        {14, "G", "A", R::CodingExon, 1, 0, C::StopGained, "tGg/tAg", "W/*", "c.8G>A", "p.Trp3Ter"},
        {25, "G", "A", R::CodingExon, 2, 0, C::StopGained, "tgG/tgA", "W/*", "c.9G>A", "p.Trp3Ter"},
        {31, "T", "C", R::CodingExon, 2, 0, C::Synonymous, "ggT/ggC", "G", "c.15T>C", "p.Gly5="},
        {8, "T", "C", R::CodingExon, 1, 0, C::StartLost, "aTg/aCg", "M/T", "c.2T>C", "p.Met1?"},
        {33, "A", "C", R::CodingExon, 2, 0, C::StopLost, "tAa/tCa", "*/S", "c.17A>C", "p.Ter6SerextTer?"},
        // One A of AAA: described at the last (3'-most) A; nothing stops the new frame.
        {10, "A", "", R::CodingExon, 1, 0, C::Frameshift, "aaA/aa", "K/X", "c.6del", "p.Lys2AsnfsTer?"},
        {10, "AAA", "", R::CodingExon, 1, 0, C::InframeDeletion, "AAA/-", "K/-", "c.4_6del", "p.Lys2del"},
        {13, "", "AAA", R::CodingExon, 1, 0, C::InframeInsertion, "-/AAA", "-/K", "c.4_6dup", "p.Lys2dup"},
        // Into the stop codon, ending in a new stop: T|ACTGAC|AA reads TAC TGA, a Tyr added.
        {33, "", "ACTGAC", R::CodingExon, 2, 0, C::InframeInsertion, "taa/taCTGACAa", "*/Y*Q",
         "c.17_18insCTGACA", "p.Gly5_Ter6insTyr"},
        // Splice site, splice region and the boundary-spanning deletion, named from the nearer exon.
        {16, "T", "C", R::SpliceSite, 0, 1, C::None, "", "", "c.8+2T>C", ""},
        {20, "T", "G", R::SpliceRegion, 0, 1, C::None, "", "", "c.9-5T>G", ""},
        {14, "GGT", "", R::SpliceSite, 1, 1, C::None, "", "", "c.8_8+2del", ""},
        // UTRs, up- and downstream.
        {5, "G", "T", R::FivePrimeUtr, 1, 0, C::None, "", "", "c.-2G>T", ""},
        {36, "C", "G", R::ThreePrimeUtr, 2, 0, C::None, "", "", "c.*2C>G", ""},
        {2, "T", "A", R::Upstream, 0, 0, C::None, "", "", "c.-5T>A", ""},
        {45, "T", "A", R::Downstream, 0, 0, C::None, "", "", "c.*11T>A", ""},
    };
    for (const Case& c : cases) {
        const TranscriptEffect effect = effectOf(c);
        const std::string label =
            "allele at " + std::to_string(c.start) + " " + c.ref.toStdString() + ">" + c.alt.toStdString();
        EXPECT_EQ(effect.location.region, c.region) << label;
        EXPECT_EQ(effect.location.exon, c.exon) << label;
        EXPECT_EQ(effect.location.intron, c.intron) << label;
        EXPECT_EQ(effect.consequence, c.consequence) << label;
        EXPECT_EQ(effect.codons, c.codons) << label;
        EXPECT_EQ(effect.aminoAcids, c.aminoAcids) << label;
        EXPECT_EQ(effect.hgvsC, c.hgvsC) << label;
        EXPECT_EQ(effect.hgvsP, c.hgvsP) << label;
    }
}

// The same exons without a coding stretch: n. numbering from the transcript's first base, and a
// deletion from an exon into the splice site is in the splice site.
TEST(TranscriptConsequence, NonCodingTranscriptsCountFromTheirFirstBase) {
    TranscriptModel model("N1", "G1", "chr1", false);
    model.addExon(5, 15);
    model.addExon(25, 40);
    QString error;
    ASSERT_TRUE(model.finish(&error)) << error.toStdString();
    TranscriptSequence sequence;
    sequence.mrna = kGenome.mid(5, 10) + kGenome.mid(25, 15);
    TranscriptConsequence calculator;
    TranscriptEffect effect;
    calculator.compute(model, sequence, {26, 27, "C", "A"}, &effect);
    EXPECT_EQ(effect.location.region, R::NoncodingExon);
    EXPECT_EQ(effect.consequence, C::None);
    EXPECT_EQ(effect.hgvsC, "n.12C>A");
    calculator.compute(model, sequence, {14, 17, "GGT", ""}, &effect);
    EXPECT_EQ(effect.location.region, R::SpliceSite);
    EXPECT_EQ(effect.hgvsC, "n.10_10+2del");
}

INSTANTIATE_TEST_SUITE_P(BothStrands, TranscriptConsequenceTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Reverse" : "Forward");
                         });

} // namespace
