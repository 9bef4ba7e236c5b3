#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>
#include <string>
#include <vector>

class AlignReferenceCache;
class CSmithWatermanGotoh;
class ReferenceWalker;

// The alleles of one variant record as the aligner reads and rewrites them: the 0-based start of
// the reference allele, the reference allele and the alternates ("-" stands for an empty allele).
struct VariantAlleles {
    int32_t start = 0;
    QByteArray ref;
    QVector<QByteArray> alts;
};

// Moves the insertions and deletions of a variant along the reference to the furthest position
// (left or right, by subclass) that gives the same haplotypes.
//
// Each alternate is placed on its own. One that differs from the reference allele by substitutions
// in place, or by one inserted or deleted stretch, replaces the bases between what the two share at
// their ends. Any other is aligned: the alternate haplotype (the flanks of the reference around the
// record with the alternate in place of the reference allele) against the reference haplotype,
// both framed in a filler no base matches, with Smith-Waterman-Gotoh, the gaps shifted until they
// stop; the changes the alignment shows give the part of the reference it replaces. The record then
// covers the union of its alternates' parts and is trimmed of the bases all its alleles share; while
// an allele is left empty the shift goes on base by base along the reference, so a repeat longer
// than the flank is crossed too. The result is the one parsimonious, furthest-shifted form of the
// record (for the left aligner the form bcftools norm and vt normalize give), so aligning it again
// changes nothing. Indels keep the VCF anchor base before them (after them only at a chromosome's
// first base).
//
// Keeps its aligner's matrices and its scratch alleles from record to record; one per thread.
class FeatureAligner {
public:
    enum class Result {
        Aligned,   // the alleles are in their aligned form (possibly as they were)
        Unaligned, // alleles that cannot be placed on the reference; left as they were
        Failed     // the reference could not be read; the reason is in the error
    };

    // The furthest a record moves, in bases.
    static constexpr qint64 MaxShift = 20000;

    virtual ~FeatureAligner();
    FeatureAligner(const FeatureAligner&) = delete;
    FeatureAligner& operator=(const FeatureAligner&) = delete;

    // Aligns a record of a chromosome with flanks of the given length. Unaligned for symbolic or
    // non-base alleles, a reference allele the reference disagrees with, a record past the
    // chromosome's end and a shift longer than MaxShift.
    Result align(const QByteArray& chromosome, int flank, AlignReferenceCache* cache, VariantAlleles* variant,
                 QString* error);

protected:
    FeatureAligner();
    // True when gaps move towards the chromosome's end: the alignment runs on reversed sequences.
    virtual bool rightward() const = 0;

private:
    struct Change {
        qint64 start = 0;
        qint64 stop = 0;
        std::string bases;
    };

    bool readAlleles(const VariantAlleles& variant);
    bool changeOf(const std::string& alt, qint64 start, const char* window, int leftFlank, int rightFlank,
                  Change* change);
    bool alignedChange(const std::string& alt, qint64 start, const char* window, int leftFlank,
                       int rightFlank, Change* change);
    void unite(qint64 windowStart, const char* window);
    bool shiftLeft(ReferenceWalker& reference, qint64 origin);
    bool shiftRight(ReferenceWalker& reference, qint64 origin);
    void writeAlleles(VariantAlleles* variant) const;

    bool anyEmpty() const;
    bool sameFirst() const;
    bool sameLast() const;
    size_t shortest() const;
    void prependAll(char base);
    void appendAll(char base);
    void dropFirst();
    void dropLast();

    std::unique_ptr<CSmithWatermanGotoh> m_aligner;
    // Index 0 is the reference allele; the working span [m_start, m_stop) of the reference.
    std::vector<std::string> m_alleles;
    std::vector<Change> m_changes;
    qint64 m_start = 0;
    qint64 m_stop = 0;
    int m_flank = 0;
    std::string m_filler;
    std::string m_referenceHaplotype;
    std::string m_alternateHaplotype;
    std::string m_cigar;
};

class LeftFeatureAligner : public FeatureAligner {
protected:
    bool rightward() const override { return false; }
};

class RightFeatureAligner : public FeatureAligner {
protected:
    bool rightward() const override { return true; }
};
