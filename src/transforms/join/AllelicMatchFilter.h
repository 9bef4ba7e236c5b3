#pragma once

#include "meta/families/AnnotationOptions.h"
#include "transforms/join/JoinFieldGroup.h"

// Keeps the right records that carry the alleles of the left variant. Alleles are "/"-separated
// lists, the reference first, compared as upper-case bytes; a deletion allele is "-". The right
// alleles come from its "RefAlt" field, or from "Observed", reverse-complemented where a "Strand"
// field says "-", or from a reference column and an alternate column ("ref" and "alt" in any case,
// as tables such as dbNSFP have them).
//
// A right record matches when every left allele is among its alleles (All); Exact also wants as
// many alleles on both sides, Closest only the records with the fewest alleles beyond the left's.
// A left deletion matches any right deletion of positive length without comparing bases. One-to-one
// keeps the first match (and warns when there were more); one-to-many keeps every match, and when
// a multi-allelic left variant matches nothing as a whole, the records matching any one of its
// alternates with the reference.
class AllelicMatchFilter : public JoinFieldGroup {
public:
    AllelicMatchFilter(AllelicMatchMode mode, bool oneToOne) : m_mode(mode), m_oneToOne(oneToOne) {}

    bool setup(const VkSource& left, const VkSource& right, QString* error) override;
    bool isFilter() const override { return true; }
    bool filter(const VkFeature& left, const JoinMatches& candidates,
                std::vector<char>& flags) const override;
    QList<int> leftFields() const override { return {m_leftAlleles}; }
    QList<int> rightFields() const override;
    void computeValues(const VkFeature&, const JoinMatches&, int, PVariantVector&) const override {}

private:
    void keepFirst(const VkFeature& left, std::vector<char>& flags) const;

    AllelicMatchMode m_mode;
    bool m_oneToOne;
    int m_leftAlleles = -1;
    int m_rightAlleles = -1;
    int m_rightStrand = -1;
    int m_rightAlt = -1;
};
