#pragma once

#include <QByteArray>
#include <QVarLengthArray>

#include <map>
#include <memory>
#include <tuple>

class CSmithWatermanGotoh;

// One site of change of an alternate against its reference: a substitution (one base, or several
// with MNPs), an insertion or a deletion, the last two anchored on the base before them.
struct AllelicPrimitive {
    enum Kind : char { Deletion = 'D', Insertion = 'I', Substitution = 'X' };

    Kind kind = Substitution;
    int32_t position = 0; // 0-based
    QByteArray ref;
    QByteArray alt;

    bool operator<(const AllelicPrimitive& other) const {
        return std::tie(position, kind, ref, alt) <
               std::tie(other.position, other.kind, other.ref, other.alt);
    }
};

// The primitives of one record in position order, each with the (1-based) input alternates it
// comes from; a primitive several alternates produce is held once.
using AllelicPrimitiveSet = std::map<AllelicPrimitive, QVarLengthArray<int, 2>>;

// Splits reference/alternate pairs into primitives by aligning each alternate against the
// reference (Smith-Waterman with Gotoh's affine gaps). Both are padded with a filler that never
// occurs in bases and anchored on one base before the record, so that the alignment covers them
// end to end. Keeps its aligner's matrices from record to record; one per thread.
class AllelicPrimitivesDecomposer {
public:
    explicit AllelicPrimitivesDecomposer(bool useMnps);
    ~AllelicPrimitivesDecomposer();

    // Adds the primitives of every alternate of a record starting at the 0-based position. An
    // alternate whose alignment is not pinned at both ends, or whose primitive would need the
    // base before the record, adds nothing.
    void decompose(int32_t position, const QByteArray& ref, const QVector<QByteArray>& alts,
                   AllelicPrimitiveSet* primitives);

    // Upper-case A, C, G, T and N only (the empty sequence too).
    static bool isValidSequence(const QByteArray& bases);

private:
    bool decomposeOne(int32_t anchorPosition, const QByteArray& ref, const QByteArray& alt,
                      const QByteArray& padding, std::vector<AllelicPrimitive>* out);
    void mergeSubstitutions(std::vector<AllelicPrimitive>* primitives) const;

    std::unique_ptr<CSmithWatermanGotoh> m_aligner;
    bool m_useMnps;
};
