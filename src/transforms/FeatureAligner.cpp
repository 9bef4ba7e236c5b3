#include "transforms/FeatureAligner.h"

#include "transforms/AlignReferenceCache.h"

#include <SmithWatermanGotoh.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr float kMatchScore = 10.0f;
constexpr float kMismatchScore = -9.0f;
constexpr float kGapOpenPenalty = 25.0f;
constexpr float kGapExtendPenalty = 3.33f;
// Further passes of gap shifting after the first, at most.
constexpr int kShiftPasses = 20;
// Bases fetched at a time while a shift walks along the reference.
constexpr qint64 kWalkBlock = 1024;

bool isBase(char c) {
    return c == 'A' || c == 'C' || c == 'G' || c == 'T' || c == 'N';
}

char upperCase(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// One operation of a CIGAR text, read from position *at on.
bool nextOperation(const std::string& cigar, size_t* at, int* length, char* kind) {
    *length = 0;
    size_t i = *at;
    for (; i < cigar.size() && cigar[i] >= '0' && cigar[i] <= '9'; ++i) {
        if (*length > (1 << 24))
            return false;
        *length = *length * 10 + (cigar[i] - '0');
    }
    if (i == *at || i >= cigar.size())
        return false;
    *kind = cigar[i];
    *at = i + 1;
    return true;
}

// Where the changes of an alignment lie: [refFrom, refTo) in the reference haplotype against
// [altFrom, altTo) in the alternate haplotype.
struct ChangedSpan {
    int refFrom = -1;
    int refTo = -1;
    int altFrom = -1;
    int altTo = -1;

    bool empty() const { return refFrom < 0; }
    void add(int refAt, int refEnd, int altAt, int altEnd) {
        if (empty()) {
            refFrom = refAt;
            altFrom = altAt;
        }
        refTo = refEnd;
        altTo = altEnd;
    }
};

// Walks a CIGAR over both haplotypes. False unless it covers both from end to end with matches,
// insertions and deletions only.
bool changedSpan(const std::string& cigar, int offset, const std::string& reference,
                 const std::string& alternate, ChangedSpan* span) {
    int r = offset;
    int a = 0;
    size_t at = 0;
    int length = 0;
    char kind = 0;
    while (at < cigar.size()) {
        if (!nextOperation(cigar, &at, &length, &kind))
            return false;
        if (kind == 'M') {
            if (r + length > int(reference.size()) || a + length > int(alternate.size()))
                return false;
            for (int i = 0; i < length; ++i)
                if (reference[size_t(r + i)] != alternate[size_t(a + i)])
                    span->add(r + i, r + i + 1, a + i, a + i + 1);
            r += length;
            a += length;
        } else if (kind == 'D') {
            span->add(r, r + length, a, a);
            r += length;
        } else if (kind == 'I') {
            span->add(r, r, a, a + length);
            a += length;
        } else {
            return false;
        }
    }
    return offset == 0 && r == int(reference.size()) && a == int(alternate.size());
}

} // namespace

// Bases of one chromosome one at a time, fetched through the cache a block at a time.
class ReferenceWalker {
public:
    ReferenceWalker(AlignReferenceCache* cache, const QByteArray& chromosome, QString* error)
        : m_cache(cache), m_chromosome(chromosome), m_error(error) {}

    qint64 chromosomeLength() const { return m_cache->chromosomeLength(); }

    // The base at a position inside the chromosome; false, with the error set, when the
    // reference cannot be read. A walk leftward fetches the block that ends at the position.
    bool base(qint64 position, bool leftward, char* out) {
        if (position < m_from || position >= m_from + m_view.size) {
            const qint64 from = leftward ? std::max<qint64>(0, position - kWalkBlock + 1) : position;
            if (!m_cache->lookup(m_chromosome, from, kWalkBlock, &m_view, m_error))
                return false;
            m_from = from;
            if (position >= m_from + m_view.size)
                return false;
        }
        *out = m_view.data[position - m_from];
        return true;
    }

private:
    AlignReferenceCache* m_cache;
    const QByteArray& m_chromosome;
    QString* m_error;
    qint64 m_from = 0;
    AlignReferenceCache::View m_view;
};

FeatureAligner::FeatureAligner()
    : m_aligner(std::make_unique<CSmithWatermanGotoh>(kMatchScore, kMismatchScore, kGapOpenPenalty,
                                                      kGapExtendPenalty)) {}

FeatureAligner::~FeatureAligner() = default;

FeatureAligner::Result FeatureAligner::align(const QByteArray& chromosome, int flank,
                                             AlignReferenceCache* cache, VariantAlleles* variant,
                                             QString* error) {
    if (!readAlleles(*variant))
        return Result::Unaligned;
    // SNPs need no alignment.
    if (std::all_of(m_alleles.begin(), m_alleles.end(),
                    [](const std::string& allele) { return allele.size() == 1; }))
        return Result::Aligned;
    const qint64 start = variant->start;
    const qint64 refSize = qint64(m_alleles[0].size());
    const int leftFlank = int(std::clamp<qint64>(start, 0, flank));
    AlignReferenceCache::View window;
    if (!cache->lookup(chromosome, start - leftFlank, leftFlank + refSize + flank, &window, error))
        return Result::Failed;
    const qint64 rightFlank = window.size - leftFlank - refSize;
    if (start < 0 || rightFlank < 0 ||
        std::memcmp(m_alleles[0].data(), window.data + leftFlank, size_t(refSize)))
        return Result::Unaligned;

    m_flank = flank;
    m_changes.resize(m_alleles.size() - 1);
    bool changes = false;
    for (size_t i = 1; i < m_alleles.size(); ++i)
        if (changeOf(m_alleles[i], start, window.data, leftFlank, int(rightFlank), &m_changes[i - 1]))
            changes = true;
    if (!changes)
        return Result::Unaligned;
    unite(start - leftFlank, window.data);
    ReferenceWalker reference(cache, chromosome, error);
    const bool shifted = rightward() ? shiftRight(reference, start + refSize) : shiftLeft(reference, start);
    if (!shifted)
        return error->isEmpty() ? Result::Unaligned : Result::Failed;
    writeAlleles(variant);
    return Result::Aligned;
}

// Upper-case bases; "-" is the empty allele. False for symbolic alleles, "*", "." and anything
// else that is not bases, and for a record without alternates.
bool FeatureAligner::readAlleles(const VariantAlleles& variant) {
    if (variant.alts.isEmpty())
        return false;
    m_alleles.resize(size_t(variant.alts.size()) + 1);
    for (size_t i = 0; i < m_alleles.size(); ++i) {
        const QByteArray& allele = i == 0 ? variant.ref : variant.alts[int(i) - 1];
        std::string& bases = m_alleles[i];
        bases.clear();
        if (allele == "-")
            continue;
        for (const char c : allele) {
            bases.push_back(upperCase(c));
            if (!isBase(bases.back()))
                return false;
        }
    }
    return true;
}

// The part of the reference an alternate replaces. An alternate that differs from the reference
// allele by substitutions in place, or by one inserted or deleted stretch, needs no alignment: its
// change lies between the bases the two share at their start and at their end. Any other is
// aligned, and replaces the whole reference allele when the alignment gives nothing usable. False
// when it equals the reference allele.
bool FeatureAligner::changeOf(const std::string& alt, qint64 start, const char* window, int leftFlank,
                              int rightFlank, Change* change) {
    change->start = change->stop = -1;
    const std::string& ref = m_alleles[0];
    const size_t shorter = std::min(ref.size(), alt.size());
    size_t first = 0;
    while (first < shorter && ref[first] == alt[first])
        ++first;
    if (first == ref.size() && first == alt.size())
        return false;
    size_t last = 0;
    while (last < shorter - first && ref[ref.size() - 1 - last] == alt[alt.size() - 1 - last])
        ++last;
    const size_t refChanged = ref.size() - first - last;
    const size_t altChanged = alt.size() - first - last;
    if (refChanged == altChanged || refChanged == 0 || altChanged == 0) {
        change->start = start + qint64(first);
        change->stop = change->start + qint64(refChanged);
        change->bases.assign(alt, first, altChanged);
        return true;
    }
    if (alignedChange(alt, start, window, leftFlank, rightFlank, change))
        return true;
    change->start = start;
    change->stop = start + qint64(ref.size());
    change->bases = alt;
    return true;
}

bool FeatureAligner::alignedChange(const std::string& alt, qint64 start, const char* window, int leftFlank,
                                   int rightFlank, Change* change) {
    if (int(m_filler.size()) != m_flank) {
        m_filler.assign(size_t(m_flank), 'Z');
        for (size_t i = 1; i < m_filler.size(); i += 2)
            m_filler[i] = 'Q';
    }
    const std::string& ref = m_alleles[0];
    const char* rightBases = window + leftFlank + ref.size();
    for (std::string* haplotype : {&m_referenceHaplotype, &m_alternateHaplotype}) {
        haplotype->assign(m_filler);
        haplotype->append(window, size_t(leftFlank));
        haplotype->append(haplotype == &m_referenceHaplotype ? ref : alt);
        haplotype->append(rightBases, size_t(rightFlank));
        haplotype->append(m_filler.rbegin(), m_filler.rend());
        if (rightward())
            std::reverse(haplotype->begin(), haplotype->end());
    }
    unsigned int referenceStart = 0;
    m_aligner->Align(referenceStart, m_cigar, m_referenceHaplotype, m_alternateHaplotype);
    int offset = int(referenceStart);
    stablyLeftAlign(m_alternateHaplotype, m_cigar, m_referenceHaplotype, offset, kShiftPasses);
    ChangedSpan span;
    if (!changedSpan(m_cigar, offset, m_referenceHaplotype, m_alternateHaplotype, &span) || span.empty())
        return false;
    const int filler = m_flank;
    const int refLength = int(m_referenceHaplotype.size());
    const int altLength = int(m_alternateHaplotype.size());
    if (span.refFrom < filler || span.refTo > refLength - filler || span.altFrom < filler ||
        span.altTo > altLength - filler)
        return false;
    change->bases.assign(m_alternateHaplotype, size_t(span.altFrom), size_t(span.altTo - span.altFrom));
    if (rightward()) {
        std::reverse(change->bases.begin(), change->bases.end());
        span = {refLength - span.refTo, refLength - span.refFrom, altLength - span.altTo,
                altLength - span.altFrom};
    }
    const qint64 windowStart = start - leftFlank;
    change->start = windowStart + span.refFrom - filler;
    change->stop = windowStart + span.refTo - filler;
    return true;
}

// Rewrites every allele over the union of the alternates' changes.
void FeatureAligner::unite(qint64 windowStart, const char* window) {
    bool first = true;
    for (const Change& change : m_changes) {
        if (change.start < 0)
            continue;
        m_start = first ? change.start : std::min(m_start, change.start);
        m_stop = first ? change.stop : std::max(m_stop, change.stop);
        first = false;
    }
    const char* from = window + (m_start - windowStart);
    m_alleles[0].assign(from, size_t(m_stop - m_start));
    for (size_t i = 1; i < m_alleles.size(); ++i) {
        const Change& change = m_changes[i - 1];
        std::string& allele = m_alleles[i];
        if (change.start < 0) {
            allele = m_alleles[0];
            continue;
        }
        allele.assign(from, size_t(change.start - m_start));
        allele.append(change.bases);
        allele.append(window + (change.stop - windowStart), size_t(m_stop - change.stop));
    }
}

// Trims the bases all alleles share at their end, and while an allele is empty takes in the
// reference base before the span, so the span moves left until its alleles differ at their end;
// then trims the shared bases at their start, keeping one. At a chromosome's first base an empty
// allele takes the base after it instead.
bool FeatureAligner::shiftLeft(ReferenceWalker& reference, qint64 origin) {
    char base = 0;
    for (;;) {
        if (anyEmpty()) {
            if (m_start == 0) {
                if (m_stop >= reference.chromosomeLength() || !reference.base(m_stop, false, &base))
                    return false;
                appendAll(base);
                ++m_stop;
                break;
            }
            if (origin - m_start >= MaxShift || !reference.base(m_start - 1, true, &base))
                return false;
            prependAll(base);
            --m_start;
        } else if (sameLast()) {
            dropLast();
            --m_stop;
        } else {
            break;
        }
    }
    while (shortest() >= 2 && sameFirst()) {
        dropFirst();
        ++m_start;
    }
    return true;
}

// The mirror of shiftLeft, except that an indel ends anchored on the base before it, as VCF
// writes it, unless it starts the chromosome.
bool FeatureAligner::shiftRight(ReferenceWalker& reference, qint64 origin) {
    char base = 0;
    for (;;) {
        if (anyEmpty()) {
            if (m_stop >= reference.chromosomeLength()) {
                if (m_start == 0 || !reference.base(m_start - 1, true, &base))
                    return false;
                prependAll(base);
                --m_start;
                break;
            }
            if (m_stop - origin >= MaxShift || !reference.base(m_stop, false, &base))
                return false;
            appendAll(base);
            ++m_stop;
        } else if (sameFirst()) {
            dropFirst();
            ++m_start;
        } else {
            break;
        }
    }
    while (shortest() >= 2 && sameLast()) {
        dropLast();
        --m_stop;
    }
    if (m_start > 0 && sameLast()) {
        if (!reference.base(m_start - 1, true, &base))
            return false;
        dropLast();
        --m_stop;
        prependAll(base);
        --m_start;
    }
    return true;
}

// Hands the aligned alleles back; an allele that did not change keeps its value.
void FeatureAligner::writeAlleles(VariantAlleles* variant) const {
    const auto assign = [](QByteArray& target, const std::string& bases) {
        if (target.size() != int(bases.size()) || std::memcmp(target.constData(), bases.data(), bases.size()))
            target = QByteArray(bases.data(), int(bases.size()));
    };
    variant->start = int32_t(m_start);
    assign(variant->ref, m_alleles[0]);
    for (size_t i = 1; i < m_alleles.size(); ++i)
        assign(variant->alts[int(i) - 1], m_alleles[i]);
}

bool FeatureAligner::anyEmpty() const {
    return std::any_of(m_alleles.begin(), m_alleles.end(),
                       [](const std::string& allele) { return allele.empty(); });
}

bool FeatureAligner::sameFirst() const {
    const char first = m_alleles[0].front();
    return std::all_of(m_alleles.begin(), m_alleles.end(),
                       [first](const std::string& allele) { return allele.front() == first; });
}

bool FeatureAligner::sameLast() const {
    const char last = m_alleles[0].back();
    return std::all_of(m_alleles.begin(), m_alleles.end(),
                       [last](const std::string& allele) { return allele.back() == last; });
}

size_t FeatureAligner::shortest() const {
    size_t length = m_alleles[0].size();
    for (const std::string& allele : m_alleles)
        length = std::min(length, allele.size());
    return length;
}

void FeatureAligner::prependAll(char base) {
    for (std::string& allele : m_alleles)
        allele.insert(allele.begin(), base);
}

void FeatureAligner::appendAll(char base) {
    for (std::string& allele : m_alleles)
        allele.push_back(base);
}

void FeatureAligner::dropFirst() {
    for (std::string& allele : m_alleles)
        allele.erase(allele.begin());
}

void FeatureAligner::dropLast() {
    for (std::string& allele : m_alleles)
        allele.pop_back();
}
