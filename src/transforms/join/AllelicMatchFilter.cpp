#include "transforms/join/AllelicMatchFilter.h"

#include "transforms/join/JoinFieldGroups.h"

#include <QVarLengthArray>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// One allele: a view of the text of the feature that holds it, so matching copies no bytes.
struct Allele {
    const char* data;
    int size;
};
// Room for the alleles of the usual few candidates without touching the heap.
using Alleles = QVarLengthArray<Allele, 32>;
// One flag per right candidate.
using Flags = QVarLengthArray<char, 64>;

char upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

char complement(char c) {
    switch (c) {
    case 'A':
        return 'T';
    case 'T':
        return 'A';
    case 'C':
        return 'G';
    case 'G':
        return 'C';
    default:
        return c;
    }
}

// Appends the "/"-separated alleles of text.
void split(const QByteArray& text, Alleles* out) {
    const char* p = text.constData();
    const char* const end = p + text.size();
    for (;;) {
        const char* slash = static_cast<const char*>(std::memchr(p, '/', size_t(end - p)));
        const char* stop = slash ? slash : end;
        out->append(Allele{p, int(stop - p)});
        if (!slash)
            return;
        p = slash + 1;
    }
}

// A deletion of bases: a feature of positive length whose only alternate is "-".
bool isDeletion(const VkSegment& segment, const Allele* alleles, int count) {
    return segment.length() > 0 && count == 2 && alleles[1].size == 1 && alleles[1].data[0] == '-';
}

// Whether two alleles are the same, in any case; reverse compares with the right allele's reverse
// complement.
bool sameAllele(Allele left, Allele right, bool reverse) {
    if (left.size != right.size)
        return false;
    for (int j = 0; j < left.size; ++j) {
        const char r = reverse ? complement(upper(right.data[right.size - 1 - j])) : upper(right.data[j]);
        if (upper(left.data[j]) != r)
            return false;
    }
    return true;
}

// The alleles of every right candidate of one left variant, split once and matched as often as
// the left variant asks.
class RightAlleles {
public:
    // A candidate that is no longer a genomic match gets no alleles. The alternates are in the
    // allele field, or in a field of their own when altField is set.
    void add(const VkFeature* feature, int alleleField, int altField, bool reverse) {
        Record record;
        record.first = m_alleles.size();
        if (feature) {
            split(feature->value(alleleField).bytes(), &m_alleles);
            if (altField >= 0)
                split(feature->value(altField).bytes(), &m_alleles);
            record.count = m_alleles.size() - record.first;
            record.reverse = reverse;
            record.deletion =
                isDeletion(feature->segment(), m_alleles.constData() + record.first, record.count);
        }
        m_records.append(record);
    }

    // Clears the flags of the records that lack a left allele (Exact: or whose allele count differs),
    // then in Closest mode those with more extra alleles than the closest; whether any flag is set.
    bool match(const Allele* left, int leftCount, bool leftIsDeletion, AllelicMatchMode mode,
               char* flags) const {
        int closest = INT_MAX;
        for (int i = 0; i < m_records.size(); ++i) {
            if (!flags[i])
                continue;
            const Record& right = m_records[i];
            const bool countDiffers = mode == ExactAllelicMatch && right.count != leftCount;
            const bool deletions = leftIsDeletion && right.deletion;
            if (countDiffers || (!deletions && !containsAll(right, left, leftCount))) {
                flags[i] = 0;
                continue;
            }
            closest = std::min(closest, right.count - leftCount);
        }
        if (mode == ClosestAllelicMatch)
            for (int i = 0; i < m_records.size(); ++i)
                flags[i] = flags[i] && m_records[i].count - leftCount == closest;
        return closest != INT_MAX;
    }

private:
    struct Record {
        int first = 0;
        int count = 0;
        bool reverse = false;
        bool deletion = false;
    };

    bool containsAll(const Record& right, const Allele* left, int leftCount) const {
        const Allele* begin = m_alleles.constData() + right.first;
        const Allele* end = begin + right.count;
        for (int j = 0; j < leftCount; ++j) {
            const Allele wanted = left[j];
            if (std::none_of(begin, end, [&](Allele a) { return sameAllele(wanted, a, right.reverse); }))
                return false;
        }
        return true;
    }

    Alleles m_alleles;
    QVarLengthArray<Record, 16> m_records;
};

// The field whose symbol or name is the word in any case (a table's "ref", "REF" or "Ref"); -1 for none.
int fieldNamed(const VkFieldList& schema, const char* word) {
    for (const VkField& field : schema)
        if (field.symbol.compare(word, Qt::CaseInsensitive) == 0 ||
            field.name.compare(word, Qt::CaseInsensitive) == 0)
            return field.idx;
    return -1;
}

bool isMinusStrand(const PVariant& strand) {
    if (strand.type() == ValueType::Character)
        return strand.charValue() == '-';
    const QByteArray& text = strand.bytes();
    return text.size() == 1 && text[0] == '-';
}

} // namespace

bool AllelicMatchFilter::setup(const VkSource& left, const VkSource& right, QString* error) {
    m_leftAlleles = JoinFields::find(left.schema(), QStringLiteral("RefAlt"));
    if (m_leftAlleles < 0) {
        *error = QStringLiteral("Left source for allelic match does not have the RefAlt field");
        return false;
    }
    m_rightAlleles = JoinFields::find(right.schema(), QStringLiteral("RefAlt"));
    m_rightStrand = -1;
    m_rightAlt = -1;
    if (m_rightAlleles < 0) {
        m_rightAlleles = JoinFields::find(right.schema(), QStringLiteral("Observed"));
        m_rightStrand = JoinFields::find(right.schema(), QStringLiteral("Strand"));
    }
    if (m_rightAlleles < 0) {
        const int ref = fieldNamed(right.schema(), "ref");
        const int alt = fieldNamed(right.schema(), "alt");
        if (ref >= 0 && alt >= 0) {
            m_rightAlleles = ref;
            m_rightAlt = alt;
        }
    }
    if (m_rightAlleles < 0) {
        *error =
            QStringLiteral("Variant source for allelic match does not have the RefAlt or Observed field");
        return false;
    }
    return true;
}

QList<int> AllelicMatchFilter::rightFields() const {
    QList<int> fields = {m_rightAlleles};
    if (m_rightStrand >= 0)
        fields << m_rightStrand;
    if (m_rightAlt >= 0)
        fields << m_rightAlt;
    return fields;
}

bool AllelicMatchFilter::filter(const VkFeature& left, const JoinMatches& candidates,
                                std::vector<char>& flags) const {
    if (m_mode == NoAllelicMatch)
        return JoinFieldGroup::filter(left, candidates, flags);
    Alleles leftAlleles;
    split(left.value(m_leftAlleles).bytes(), &leftAlleles);
    const int leftCount = leftAlleles.size();
    const bool leftIsDeletion = isDeletion(left.segment(), leftAlleles.constData(), leftCount);

    RightAlleles right;
    for (int i = 0; i < candidates.size(); ++i) {
        const VkFeature& feature = candidates[i].feature;
        const bool reverse = m_rightStrand >= 0 && isMinusStrand(feature.value(m_rightStrand));
        right.add(flags[size_t(i)] ? &feature : nullptr, m_rightAlleles, m_rightAlt, reverse);
    }
    // Only a multi-allelic variant matched one-to-many may need the entry flags again.
    const bool mayRetry = !m_oneToOne && leftCount >= 3;
    const Flags entry = mayRetry ? Flags(flags.begin(), flags.end()) : Flags();

    if (right.match(leftAlleles.constData(), leftCount, leftIsDeletion, m_mode, flags.data())) {
        if (m_oneToOne)
            keepFirst(left, flags);
        return true;
    }
    if (!mayRetry)
        return false;
    // No record has every alternate: keep those that have the reference and any one of them.
    Allele pair[2] = {leftAlleles[0], leftAlleles[0]};
    Flags trial;
    for (int k = 1; k < leftCount; ++k) {
        pair[1] = leftAlleles[k];
        trial = entry;
        right.match(pair, 2, leftIsDeletion, m_mode, trial.data());
        for (size_t i = 0; i < flags.size(); ++i)
            flags[i] = flags[i] || trial[int(i)];
    }
    return JoinFieldGroup::filter(left, candidates, flags);
}

void AllelicMatchFilter::keepFirst(const VkFeature& left, std::vector<char>& flags) const {
    const auto set = [](char flag) { return flag != 0; };
    const auto first = std::find_if(flags.begin(), flags.end(), set);
    const auto matched = std::count_if(first, flags.end(), set);
    if (first != flags.end())
        std::fill(first + 1, flags.end(), 0);
    if (matched > 1)
        qWarning("%s:%d %s matches %d annotation records where one was expected; the first is used",
                 left.segment().chromosome().constData(), left.segment().start() + 1,
                 left.value(m_leftAlleles).bytes().constData(), int(matched));
}
