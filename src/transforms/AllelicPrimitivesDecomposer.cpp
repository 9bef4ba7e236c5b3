#include "transforms/AllelicPrimitivesDecomposer.h"

#include <QVector>

#include <SmithWatermanGotoh.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr float kMatchScore = 10.0f;
constexpr float kMismatchScore = -9.0f;
constexpr float kGapOpenPenalty = 15.0f;
constexpr float kGapExtendPenalty = 6.66f;
constexpr int kMinimumPadding = 10;
// Stands for the base before the record; it never matches a real base.
constexpr char kAnchor = 'Q';

struct CigarOperation {
    int length;
    char kind;
};

bool parseCigar(const std::string& text, std::vector<CigarOperation>* operations) {
    operations->clear();
    int length = 0;
    bool digits = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (length > (1 << 24))
                return false;
            length = length * 10 + (c - '0');
            digits = true;
            continue;
        }
        if (!digits)
            return false;
        operations->push_back({length, c});
        length = 0;
        digits = false;
    }
    return !digits && !operations->empty();
}

// "ZQZQ..." long enough to outweigh any gap the alignment could open inside the alleles.
QByteArray paddingFor(const QByteArray& ref, const QVector<QByteArray>& alts) {
    int length = std::max(kMinimumPadding, ref.size() + 1);
    for (const QByteArray& alt : alts)
        length = std::max(length, alt.size() + 1);
    QByteArray padding(length, 'Z');
    for (int i = 1; i < length; i += 2)
        padding[i] = 'Q';
    return padding;
}

std::string padded(const QByteArray& padding, const QByteArray& anchored) {
    std::string text;
    text.reserve(size_t(padding.size() * 2 + anchored.size()));
    text.append(padding.constData(), size_t(padding.size()));
    text.append(anchored.constData(), size_t(anchored.size()));
    text.append(padding.constData(), size_t(padding.size()));
    return text;
}

// Removes the padding from the first and the last operation, which must be matches covering it.
bool stripPadding(std::vector<CigarOperation>* operations, int padding) {
    CigarOperation& first = operations->front();
    CigarOperation& last = operations->back();
    if (first.kind != 'M' || last.kind != 'M' || first.length < padding || last.length < padding)
        return false;
    first.length -= padding;
    last.length -= padding;
    return first.length >= 0;
}

// The aligner puts a gap in a repeat at its leftmost place, which may be right after the anchor,
// where the gap hangs on no base of the record. When the gapped bases repeat one base further on,
// the gap moves one base right onto the record's first base, as VCF writes indels.
void shiftGapOffAnchor(std::vector<CigarOperation>* operations, const QByteArray& anchoredRef,
                       const QByteArray& anchoredAlt) {
    if (operations->size() < 3 || operations->front().length != 1)
        return;
    const CigarOperation& gap = (*operations)[1];
    CigarOperation& after = (*operations)[2];
    if ((gap.kind != 'D' && gap.kind != 'I') || after.kind != 'M')
        return;
    const QByteArray& gapped = gap.kind == 'D' ? anchoredRef : anchoredAlt;
    if (1 + gap.length >= gapped.size() || gapped[1] != gapped[1 + gap.length])
        return;
    operations->front().length += 1;
    if (--after.length == 0)
        operations->erase(operations->begin() + 2);
}

} // namespace

AllelicPrimitivesDecomposer::AllelicPrimitivesDecomposer(bool useMnps)
    : m_aligner(std::make_unique<CSmithWatermanGotoh>(kMatchScore, kMismatchScore, kGapOpenPenalty,
                                                      kGapExtendPenalty)),
      m_useMnps(useMnps) {}

AllelicPrimitivesDecomposer::~AllelicPrimitivesDecomposer() = default;

bool AllelicPrimitivesDecomposer::isValidSequence(const QByteArray& bases) {
    return std::all_of(bases.begin(), bases.end(),
                       [](char c) { return c == 'A' || c == 'C' || c == 'G' || c == 'T' || c == 'N'; });
}

void AllelicPrimitivesDecomposer::decompose(int32_t position, const QByteArray& ref,
                                            const QVector<QByteArray>& alts,
                                            AllelicPrimitiveSet* primitives) {
    if (ref.isEmpty() || !isValidSequence(ref))
        return;
    const QByteArray padding = paddingFor(ref, alts);
    std::vector<AllelicPrimitive> found;
    for (int i = 0; i < alts.size(); ++i) {
        found.clear();
        if (alts[i].isEmpty() || !isValidSequence(alts[i]) ||
            !decomposeOne(position - 1, ref, alts[i], padding, &found))
            continue;
        if (m_useMnps)
            mergeSubstitutions(&found);
        for (AllelicPrimitive& primitive : found) {
            QVarLengthArray<int, 2>& sources = (*primitives)[std::move(primitive)];
            if (sources.isEmpty() || sources.last() != i + 1)
                sources.append(i + 1);
        }
    }
}

// Walks the alignment from the anchor base at anchorPosition: mismatches are substitutions,
// gaps are indels anchored on the reference base before them.
bool AllelicPrimitivesDecomposer::decomposeOne(int32_t anchorPosition, const QByteArray& ref,
                                               const QByteArray& alt, const QByteArray& padding,
                                               std::vector<AllelicPrimitive>* out) {
    const QByteArray anchoredRef = kAnchor + ref;
    const QByteArray anchoredAlt = kAnchor + alt;
    unsigned int referenceStart = 0;
    std::string cigar;
    m_aligner->Align(referenceStart, cigar, padded(padding, anchoredRef), padded(padding, anchoredAlt));
    std::vector<CigarOperation> operations;
    if (!parseCigar(cigar, &operations) || !stripPadding(&operations, padding.size()))
        return false;
    shiftGapOffAnchor(&operations, anchoredRef, anchoredAlt);
    int r = 0;
    int a = 0;
    for (const CigarOperation& operation : operations) {
        const int n = operation.length;
        switch (operation.kind) {
        case 'M':
            if (r + n > anchoredRef.size() || a + n > anchoredAlt.size())
                return false;
            for (int i = 0; i < n; ++i)
                if (anchoredRef[r + i] != anchoredAlt[a + i])
                    out->push_back({AllelicPrimitive::Substitution, anchorPosition + r + i,
                                    anchoredRef.mid(r + i, 1), anchoredAlt.mid(a + i, 1)});
            r += n;
            a += n;
            break;
        case 'D':
            // The base before the gap must be a real one, not the anchor.
            if (r < 2 || r + n > anchoredRef.size())
                return false;
            out->push_back({AllelicPrimitive::Deletion, anchorPosition + r - 1, anchoredRef.mid(r - 1, n + 1),
                            anchoredRef.mid(r - 1, 1)});
            r += n;
            break;
        case 'I':
            if (r < 2 || a + n > anchoredAlt.size())
                return false;
            out->push_back({AllelicPrimitive::Insertion, anchorPosition + r - 1, anchoredRef.mid(r - 1, 1),
                            anchoredRef.mid(r - 1, 1) + anchoredAlt.mid(a, n)});
            a += n;
            break;
        case 'S':
            r += n;
            a += n;
            break;
        default:
            return false;
        }
    }
    return std::all_of(out->begin(), out->end(), [](const AllelicPrimitive& primitive) {
        return isValidSequence(primitive.ref) && isValidSequence(primitive.alt);
    });
}

// Joins substitutions at consecutive positions into one multi-base substitution.
void AllelicPrimitivesDecomposer::mergeSubstitutions(std::vector<AllelicPrimitive>* primitives) const {
    std::vector<AllelicPrimitive>& list = *primitives;
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        AllelicPrimitive& last = list[kept > 0 ? kept - 1 : 0];
        const bool joins = kept > 0 && last.kind == AllelicPrimitive::Substitution &&
                           list[i].kind == AllelicPrimitive::Substitution &&
                           list[i].position == last.position + last.ref.size();
        if (joins) {
            last.ref += list[i].ref;
            last.alt += list[i].alt;
        } else {
            if (kept != i)
                list[kept] = std::move(list[i]);
            ++kept;
        }
    }
    list.resize(kept);
}
