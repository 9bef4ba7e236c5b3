#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

// Where a variant lies relative to a transcript, from the most telling class to the least: when a
// variant covers several places the first class in this order describes it.
enum class TranscriptRegion {
    SpliceSite,    // intronic, within 2 bases of an exon boundary
    CodingExon,    // in the coding part of an exon
    SpliceRegion,  // intronic, 3 to 8 bases from an exon boundary
    FivePrimeUtr,  // in an exon, before the coding start
    ThreePrimeUtr, // in an exon, after the coding stop
    NoncodingExon, // in an exon of a transcript that codes for nothing
    Intron,
    Upstream,   // within UpDownstreamDistance before the transcript's start (in its direction)
    Downstream, // within UpDownstreamDistance after its end
    Intergenic, // near no transcript
};

// One transcript: its exons and coding stretch on the genome, and the mapping between genomic
// positions and positions along its spliced sequence (the mRNA, read in the transcript's
// direction). Genomic coordinates are 0-based and half-open.
class TranscriptModel {
public:
    struct Interval {
        int32_t start;
        int32_t stop;
    };
    // A variant's place: the region class and the exon and intron numbers (counted in the
    // transcript's direction from 1; 0 where it touches none) of what it covers.
    struct Location {
        TranscriptRegion region = TranscriptRegion::Intergenic;
        int exon = 0;
        int intron = 0;
    };

    static constexpr int32_t UpDownstreamDistance = 5000;
    static constexpr int32_t SpliceSiteDistance = 2;
    static constexpr int32_t SpliceRegionDistance = 8;

    TranscriptModel() = default;
    TranscriptModel(QByteArray id, QByteArray gene, QByteArray chromosome, bool reverse);

    void addExon(int32_t start, int32_t stop) { m_exons.append({start, stop}); }
    // Widens the coding stretch to take in [start, stop); phase is the number of bases before the
    // stretch's first whole codon, kept from the piece that begins the coding sequence (not 0
    // where an annotation's coding sequence starts mid-codon).
    void addCoding(int32_t start, int32_t stop, int phase = 0);
    // Sorts and joins the exons and checks that the coding stretch starts and ends in exons;
    // false with the reason.
    bool finish(QString* error);

    const QByteArray& id() const { return m_id; }
    const QByteArray& gene() const { return m_gene; }
    const QByteArray& chromosome() const { return m_chromosome; }
    bool isReverse() const { return m_reverse; }
    bool isCoding() const { return m_codingStop > m_codingStart; }
    // Exons in genomic order.
    const QVector<Interval>& exons() const { return m_exons; }
    int32_t start() const { return m_exons.isEmpty() ? 0 : m_exons.first().start; }
    int32_t stop() const { return m_exons.isEmpty() ? 0 : m_exons.last().stop; }

    // The length of the spliced sequence.
    int mrnaLength() const { return m_mrnaLength; }
    // The mRNA index of the first coding base and the index after the last (the stop codon
    // included); both 0 for a non-coding transcript.
    int codingOffset() const { return m_codingOffset; }
    int codingEnd() const { return m_codingEnd; }
    // The mRNA index of the first whole codon.
    int codonOffset() const { return m_codingOffset + m_phase; }
    // The mRNA index of an exonic base; -1 for a base outside every exon.
    int mrnaIndex(int32_t position) const;
    // The mRNA index just after the exon that holds an mRNA index.
    int exonEndIndex(int mrnaIndex) const;

    // Where the variant covering [start, stop) lies; an insertion (start == stop) lies between
    // start - 1 and start: in an exon when both are in it, at the splice site when it is between
    // an exon and its intron.
    Location locate(int32_t start, int32_t stop) const;
    // The mRNA index at which an insertion before genomic position p lands; -1 unless both
    // neighbours are in one exon.
    int insertionIndex(int32_t position) const;

    // The HGVS position of a base: c. numbering for a coding transcript (c.-N before the coding
    // start, c.*N after its stop, c.N+D and c.N-D in introns), n. numbering otherwise, without the
    // prefix.
    QByteArray hgvsPosition(int32_t position) const;
    // The same for an mRNA index.
    QByteArray hgvsMrnaPosition(int mrnaIndex) const;

private:
    int exonNumber(int genomicIndex) const;
    int intronNumber(int genomicIndexBefore) const;
    void locateIntron(int index, int32_t start, int32_t stop, Location* location, int* best) const;

    QByteArray m_id;
    QByteArray m_gene;
    QByteArray m_chromosome;
    bool m_reverse = false;
    QVector<Interval> m_exons;
    // mRNA index of each exon's first base in genomic order (its last, in mRNA order, when reverse).
    QVector<int> m_exonOffsets;
    int32_t m_codingStart = 0;
    int32_t m_codingStop = 0;
    int m_phase = 0;
    int m_mrnaLength = 0;
    int m_codingOffset = 0;
    int m_codingEnd = 0;
};
