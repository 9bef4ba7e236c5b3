#include "transforms/TranscriptConsequence.h"

#include <algorithm>

namespace {

// The standard genetic code, codons in T, C, A, G order of their three bases.
constexpr char kCode[] = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG";

int baseIndex(char base) {
    switch (base) {
    case 'T':
        return 0;
    case 'C':
        return 1;
    case 'A':
        return 2;
    case 'G':
        return 3;
    default:
        return -1;
    }
}

char complement(char base) {
    switch (base) {
    case 'A':
        return 'T';
    case 'C':
        return 'G';
    case 'G':
        return 'C';
    case 'T':
        return 'A';
    default:
        return base;
    }
}

const char* threeLetter(char aa) {
    static const char* const names[26] = {"Ala", "Asx", "Cys", "Asp", "Glu", "Phe", "Gly", "His", "Ile",
                                          "Xle", "Lys", "Leu", "Met", "Asn", "Pyl", "Pro", "Gln", "Arg",
                                          "Ser", "Thr", "Sec", "Val", "Trp", "Xaa", "Tyr", "Glx"};
    if (aa == '*')
        return "Ter";
    return aa >= 'A' && aa <= 'Z' ? names[aa - 'A'] : "Xaa";
}

QByteArray threeLetters(const QByteArray& aas) {
    QByteArray text;
    for (char aa : aas)
        text += threeLetter(aa);
    return text;
}

// "Lys23" for the amino acid at 0-based index i.
QByteArray residue(const QByteArray& protein, int i) {
    return threeLetter(i >= 0 && i < protein.size() ? protein[i] : 'X') + QByteArray::number(i + 1);
}

QByteArray range(const QByteArray& protein, int first, int last) {
    return first == last ? residue(protein, first) : residue(protein, first) + '_' + residue(protein, last);
}

// The new stop's place in an extension or frameshift, counting the first changed residue as 1.
QByteArray stopDistance(const QByteArray& altProtein, int i) {
    const int stop = altProtein.indexOf('*', i);
    return stop < 0 ? QByteArray("?") : QByteArray::number(stop - i + 1);
}

bool isBases(const QByteArray& allele) {
    return std::all_of(allele.begin(), allele.end(), [](char c) { return baseIndex(c) >= 0 || c == 'N'; });
}

QByteArray casedCodons(const QByteArray& bases, int changedStart, int changedStop) {
    if (bases.isEmpty())
        return QByteArrayLiteral("-");
    QByteArray text = bases.toLower();
    for (int i = changedStart; i < changedStop && i < text.size(); ++i)
        text[i] = bases[i];
    return text;
}

// The amino acids of a codon window; a trailing part codon reads 'X'.
QByteArray windowAminoAcids(const QByteArray& bases) {
    QByteArray aas;
    for (int i = 0; i < bases.size(); i += 3)
        aas += i + 3 <= bases.size() ? TranscriptConsequence::aminoAcid(bases.constData() + i) : 'X';
    return aas.isEmpty() ? QByteArrayLiteral("-") : aas;
}

} // namespace

char TranscriptConsequence::aminoAcid(const char* codon) {
    const int a = baseIndex(codon[0]);
    const int b = baseIndex(codon[1]);
    const int c = baseIndex(codon[2]);
    return a < 0 || b < 0 || c < 0 ? 'X' : kCode[a * 16 + b * 4 + c];
}

void TranscriptConsequence::translate(const char* bases, int length, QByteArray* out) {
    for (int i = 0; i + 3 <= length; i += 3) {
        const char aa = aminoAcid(bases + i);
        out->append(aa);
        if (aa == '*')
            return;
    }
}

QByteArray TranscriptConsequence::reverseComplement(const QByteArray& bases) {
    QByteArray out(bases.size(), Qt::Uninitialized);
    for (int i = 0; i < bases.size(); ++i)
        out[bases.size() - 1 - i] = complement(bases[i]);
    return out;
}

QByteArray TranscriptConsequence::protein(const TranscriptModel& model, const QByteArray& mrna) {
    QByteArray aas;
    if (model.isCoding() && model.codingEnd() <= mrna.size())
        translate(mrna.constData() + model.codonOffset(), model.codingEnd() - model.codonOffset(), &aas);
    return aas;
}

void TranscriptConsequence::compute(const TranscriptModel& model, const TranscriptSequence& sequence,
                                    const Allele& allele, TranscriptEffect* effect) {
    *effect = TranscriptEffect();
    effect->location = model.locate(allele.start, allele.stop);
    if (effect->location.region == TranscriptRegion::Intergenic || !isBases(allele.ref) ||
        !isBases(allele.alt))
        return;
    m_ref = model.isReverse() ? reverseComplement(allele.ref) : allele.ref;
    m_alt = model.isReverse() ? reverseComplement(allele.alt) : allele.alt;

    Change change{-1, -1, m_alt};
    const int length = allele.stop - allele.start;
    if (length == 0) {
        change.start = change.stop = model.insertionIndex(allele.start);
    } else {
        const int first = model.mrnaIndex(model.isReverse() ? allele.stop - 1 : allele.start);
        const int last = model.mrnaIndex(model.isReverse() ? allele.start : allele.stop - 1);
        // Within one exon its ends are as far apart in the mRNA as on the genome; a change
        // across a splice junction is described on the genome.
        if (first >= 0 && last - first == length - 1)
            change = Change{first, last + 1, m_alt};
    }
    const bool onMrna = change.start >= 0 && sequence.mrna.size() == model.mrnaLength();
    if (!onMrna) {
        effect->hgvsC = (model.isCoding() ? "c." : "n.") + hgvsGenomic(model, allele);
        return;
    }
    shiftThreePrime(model, sequence.mrna, &change);
    effect->hgvsC = (model.isCoding() ? "c." : "n.") + hgvsMrna(model, sequence.mrna, change);
    if (!model.isCoding())
        return;
    effect->location.region = codingRegion(model, change);
    if (effect->location.region == TranscriptRegion::CodingExon)
        codingEffect(model, sequence, change, effect);
}

// An insertion or deletion within a repeat is put at its most 3' place in its exon, where HGVS
// describes it, and classed there: inserting an A into AAA at the start codon's end is the same
// change wherever in the run it is written. It does not cross into the next exon, where the same
// mRNA would come from another change of the genome.
void TranscriptConsequence::shiftThreePrime(const TranscriptModel& model, const QByteArray& mrna,
                                            Change* change) {
    const bool insertion = change->start == change->stop;
    const int exonEnd =
        std::min(model.exonEndIndex(insertion ? change->start - 1 : change->start), int(mrna.size()));
    if (change->alt.isEmpty()) {
        while (change->stop < exonEnd && mrna[change->start] == mrna[change->stop]) {
            ++change->start;
            ++change->stop;
        }
    } else if (insertion) {
        QByteArray& inserted = change->alt;
        while (change->start + 1 < exonEnd && inserted[0] == mrna[change->start]) {
            inserted = inserted.mid(1) + mrna[change->start];
            change->stop = ++change->start;
        }
    }
}

// Where an exonic change of a coding transcript lies: an insertion at the coding start or just
// after the stop codon is in the UTR.
TranscriptRegion TranscriptConsequence::codingRegion(const TranscriptModel& model, const Change& change) {
    const int offset = model.codingOffset();
    const int end = model.codingEnd();
    const bool coding = change.start == change.stop ? change.start > offset && change.start < end
                                                    : change.start < end && change.stop > offset;
    if (coding)
        return TranscriptRegion::CodingExon;
    return change.start <= offset ? TranscriptRegion::FivePrimeUtr : TranscriptRegion::ThreePrimeUtr;
}

// Positions in the transcript's direction, without shifting (introns are not read as sequence).
QByteArray TranscriptConsequence::hgvsGenomic(const TranscriptModel& model, const Allele& allele) const {
    const bool reverse = model.isReverse();
    if (allele.start == allele.stop) {
        const int32_t before = reverse ? allele.start : allele.start - 1;
        const int32_t after = reverse ? allele.start - 1 : allele.start;
        return model.hgvsPosition(before) + '_' + model.hgvsPosition(after) + "ins" + m_alt;
    }
    const QByteArray first = model.hgvsPosition(reverse ? allele.stop - 1 : allele.start);
    const QByteArray last = model.hgvsPosition(reverse ? allele.start : allele.stop - 1);
    const QByteArray place = first == last ? first : first + '_' + last;
    if (m_ref.size() == 1 && m_alt.size() == 1)
        return place + m_ref + '>' + m_alt;
    return place + (m_alt.isEmpty() ? QByteArray("del") : "delins" + m_alt);
}

QByteArray TranscriptConsequence::hgvsMrna(const TranscriptModel& model, const QByteArray& mrna,
                                           const Change& change) {
    const int start = change.start;
    const int stop = change.stop;
    const auto place = [&model](int first, int last) {
        return first == last ? model.hgvsMrnaPosition(first)
                             : model.hgvsMrnaPosition(first) + '_' + model.hgvsMrnaPosition(last);
    };
    if (stop - start == 1 && change.alt.size() == 1)
        return place(start, start) + mrna[start] + '>' + change.alt;
    if (!change.alt.isEmpty() && stop > start)
        return place(start, stop - 1) + "delins" + change.alt;
    if (change.alt.isEmpty())
        return place(start, stop - 1) + "del";
    // An insertion that repeats the bases before it is a dup.
    const QByteArray& inserted = change.alt;
    const int size = inserted.size();
    if (start >= size && mrna.mid(start - size, size) == inserted)
        return place(start - size, start - 1) + "dup";
    return place(start - 1, start) + "ins" + inserted;
}

void TranscriptConsequence::codingEffect(const TranscriptModel& model, const TranscriptSequence& sequence,
                                         const Change& change, TranscriptEffect* effect) {
    const int offset = model.codonOffset();
    const int end = model.codingEnd();
    const QByteArray& mrna = sequence.mrna;
    // The bases before the first whole codon of a coding sequence that starts mid-codon code
    // for nothing known.
    if (change.stop <= offset && change.stop > change.start)
        return;
    // The codons the change touches; an insertion between two codons touches none.
    int windowStart = change.start;
    int windowStop = change.start;
    if (change.stop > change.start || (change.start - offset) % 3 != 0) {
        windowStart = offset + (std::max(change.start, offset) - offset) / 3 * 3;
        const int last = std::max(std::min(change.stop, end) - 1, change.start) - offset;
        windowStop = std::min(std::max(offset + (last / 3 + 1) * 3, change.stop), int(mrna.size()));
    }
    describeWindow(sequence, change, windowStart, windowStop, effect);

    // A coding sequence that starts mid-codon, or not with Met, has no start codon to lose.
    const int lengthChange = change.alt.size() - (change.stop - change.start);
    const bool startCodon = change.start < offset + 3 && (change.stop > offset || change.start > offset);
    if (startCodon && sequence.protein.startsWith('M') && offset == model.codingOffset()) {
        effect->consequence = CodingConsequence::StartLost;
        effect->hgvsP = "p." + residue(sequence.protein, 0) + '?';
        return;
    }
    // Without a start codon, a change from before the first codon on leaves no frame to compare.
    if (change.start < offset) {
        effect->consequence = lengthChange % 3 != 0 ? CodingConsequence::Frameshift
                              : lengthChange > 0    ? CodingConsequence::InframeInsertion
                              : lengthChange < 0    ? CodingConsequence::InframeDeletion
                                                    : CodingConsequence::Missense;
        return;
    }
    const int firstCodon = (windowStart - offset) / 3;
    if (firstCodon >= sequence.protein.size()) {
        localChange(firstCodon, lengthChange, effect);
        return;
    }
    // The scratch buffers keep their room from one change to the next.
    const int tailStart = offset + firstCodon * 3;
    m_tail.resize(0);
    m_tail.append(mrna.constData() + tailStart, change.start - tailStart);
    m_tail.append(change.alt);
    m_tail.append(mrna.constData() + change.stop, mrna.size() - change.stop);
    m_altProtein.resize(0);
    m_altProtein.append(sequence.protein.constData(), firstCodon);
    translate(m_tail.constData(), m_tail.size(), &m_altProtein);
    const int lastCodon = (windowStop - offset - 1) / 3;
    proteinChange(sequence.protein, firstCodon, lastCodon, lengthChange, effect);
}

void TranscriptConsequence::describeWindow(const TranscriptSequence& sequence, const Change& change,
                                           int windowStart, int windowStop, TranscriptEffect* effect) {
    const QByteArray refWindow = sequence.mrna.mid(windowStart, windowStop - windowStart);
    const QByteArray altWindow = sequence.mrna.mid(windowStart, change.start - windowStart) + change.alt +
                                 sequence.mrna.mid(change.stop, std::max(0, windowStop - change.stop));
    const int changed = change.start - windowStart;
    effect->codons = casedCodons(refWindow, changed, change.stop - windowStart) + '/' +
                     casedCodons(altWindow, changed, changed + change.alt.size());
    m_refAas = windowAminoAcids(refWindow);
    m_altAas = windowAminoAcids(altWindow);
    effect->aminoAcids = m_refAas == m_altAas ? m_refAas : m_refAas + '/' + m_altAas;
}

// Codon by codon, for a change after a stop within the annotated coding sequence (a read-through
// or an annotation that does not translate), where the protein ends before it.
void TranscriptConsequence::localChange(int firstCodon, int lengthChange, TranscriptEffect* effect) const {
    const bool refStop = m_refAas.contains('*');
    const bool altStop = m_altAas.contains('*');
    effect->consequence = lengthChange % 3 != 0  ? CodingConsequence::Frameshift
                          : altStop && !refStop  ? CodingConsequence::StopGained
                          : refStop && !altStop  ? CodingConsequence::StopLost
                          : lengthChange > 0     ? CodingConsequence::InframeInsertion
                          : lengthChange < 0     ? CodingConsequence::InframeDeletion
                          : m_refAas == m_altAas ? CodingConsequence::Synonymous
                                                 : CodingConsequence::Missense;
    if (m_refAas.size() == 1 && m_altAas.size() == 1 && lengthChange == 0)
        effect->hgvsP = QByteArray("p.") + threeLetter(m_refAas[0]) + QByteArray::number(firstCodon + 1) +
                        (m_refAas == m_altAas ? QByteArray("=") : QByteArray(threeLetter(m_altAas[0])));
}

// Compares the reference protein with the altered one (m_altProtein, which runs to its first
// stop) from the first codon the change touches (lastCodon is the last it touches): the first residue that
// differs and, for a change in frame, the residues after it that both still share, leave the residues deleted
// and inserted. Scanning from the front puts a change within a repeat at its most 3' place.
void TranscriptConsequence::proteinChange(const QByteArray& protein, int firstCodon, int lastCodon,
                                          int lengthChange, TranscriptEffect* effect) {
    const bool frameshift = lengthChange % 3 != 0;
    const QByteArray& alt = m_altProtein;
    const int refSize = protein.size();
    const int altSize = alt.size();
    int i = firstCodon;
    while (i < refSize && i < altSize && protein[i] == alt[i])
        ++i;
    // A change that leaves the protein as it was (a frameshift past the stop's first base, one
    // that keeps a stop in place) is synonymous whatever its length.
    if (i == refSize && i == altSize) {
        effect->consequence = CodingConsequence::Synonymous;
        effect->hgvsP = "p." + residue(protein, firstCodon) + '=';
        return;
    }
    if (frameshift) {
        effect->consequence = CodingConsequence::Frameshift;
        if (i >= refSize || i >= altSize)
            effect->hgvsP = "p.?";
        else if (alt[i] == '*')
            effect->hgvsP = "p." + residue(protein, i) + "Ter";
        else if (protein[i] == '*')
            effect->hgvsP =
                "p." + residue(protein, i) + threeLetter(alt[i]) + "extTer" + stopDistance(alt, i);
        else
            effect->hgvsP = "p." + residue(protein, i) + threeLetter(alt[i]) + "fsTer" + stopDistance(alt, i);
        return;
    }
    // Where the stop would be had the change only added or removed residues.
    const bool refStops = protein.endsWith('*');
    const bool altStops = alt.endsWith('*');
    const int expectedStop = refSize - (refStops ? 1 : 0) + lengthChange / 3;
    if (refStops && (!altStops || altSize - 1 > expectedStop)) {
        effect->consequence = CodingConsequence::StopLost;
        effect->hgvsP =
            i < altSize ? "p." + residue(protein, i) + threeLetter(alt[i]) + "extTer" + stopDistance(alt, i)
                        : QByteArray("p.?");
        return;
    }
    QByteArray deleted;
    QByteArray inserted;
    // A stop sooner than the residues the change leaves in place would put it is gained, unless
    // the change is to the stop codon itself and keeps every residue before it (an insertion
    // into the stop codon that ends in a stop only adds residues).
    const bool changesStop = refStops && lastCodon >= refSize - 1;
    const bool residuesLost = !changesStop || altSize < refSize;
    if (altStops && altSize - 1 < expectedStop && residuesLost) {
        effect->consequence = CodingConsequence::StopGained;
        if (alt[i] == '*') {
            effect->hgvsP = "p." + residue(protein, i) + "Ter";
            return;
        }
        inserted = alt.mid(i);
        deleted = protein.mid(i, std::max(0, inserted.size() - lengthChange / 3));
    } else {
        int shared = 0;
        while (shared < refSize - i && shared < altSize - i &&
               protein[refSize - 1 - shared] == alt[altSize - 1 - shared])
            ++shared;
        deleted = protein.mid(i, refSize - shared - i);
        inserted = alt.mid(i, altSize - shared - i);
        effect->consequence = lengthChange > 0   ? CodingConsequence::InframeInsertion
                              : lengthChange < 0 ? CodingConsequence::InframeDeletion
                                                 : CodingConsequence::Missense;
    }
    if (deleted.isEmpty()) {
        const int size = inserted.size();
        if (i >= size && protein.mid(i - size, size) == inserted)
            effect->hgvsP = "p." + range(protein, i - size, i - 1) + "dup";
        else
            effect->hgvsP =
                "p." + residue(protein, i - 1) + '_' + residue(protein, i) + "ins" + threeLetters(inserted);
    } else if (inserted.isEmpty()) {
        effect->hgvsP = "p." + range(protein, i, i + deleted.size() - 1) + "del";
    } else if (deleted.size() == 1 && inserted.size() == 1) {
        effect->hgvsP = "p." + residue(protein, i) + threeLetter(inserted[0]);
    } else {
        effect->hgvsP = "p." + range(protein, i, i + deleted.size() - 1) + "delins" + threeLetters(inserted);
    }
}
