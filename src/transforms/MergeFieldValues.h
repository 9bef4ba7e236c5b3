#pragma once

#include "meta/families/MergeOptions.h"
#include "source/model/VkField.h"

#include <QVector>

class TextCache;

// Combining the values of one field from the records merged into one.
namespace MergeFieldValues {

// The type a record-level field has in the output under a behaviour: lists for "Unique" and
// "TakeAll", fractions for "NumericMean".
ValueType outputType(ValueType input, int behavior);
// The merged value of a record-level field; values holds one entry per merged record (invalid
// where a record has no value).
PVariant merge(int behavior, const QVector<PVariant>& values, ValueType outputType);

// How many values a field holds per allele ("A": one per alternate, "R": one per allele, "G": one per
// genotype, else none tied to alleles).
enum class AlleleNumber { None, PerAlternate, PerAllele, PerGenotype };
AlleleNumber alleleNumberOf(const VkField& field);

// A record's per-allele list laid onto the merged alleles: allele k of the record is allele
// alleleMap[k] of the output (0 the reference), out has outputAlleles alleles. Values already set
// in out are kept (the first record's value wins).
void reindexList(const PVariant& values, const QVector<int>& alleleMap, AlleleNumber number,
                 int outputAlleles, PVariant* out);
// The output place of each diploid genotype of a record, in VCF order (a <= b at b(b+1)/2 + a).
void genotypeMap(const QVector<int>& alleleMap, QVector<int>* map);

// How one record's per-sample lists of a field with the given number are laid onto the merged
// alleles: allele k of the record is allele (*alleles)[k] of the output, genotype g genotype
// (*genotypes)[g] (genotypeMap), out of outputAlleles alleles.
struct ListRemap {
    const QVector<int>* alleles = nullptr;
    const QVector<int>* genotypes = nullptr;
    AlleleNumber number = AlleleNumber::None;
    int outputAlleles = 0;
};
// Where the values of one sample's list go: value k to place (*map)[k + offset] - offset of a list
// of width values; without a map the sample has no values.
struct ListLayout {
    const QVector<int>* map = nullptr;
    int offset = 0;
    int width = 0;
};
ListLayout layoutOf(const ListRemap& remap, int count);
// A sample's count values laid out as layout.width values (layout has a map); places no value
// reaches are missing.
void layList(const int32_t* in, int count, const ListLayout& layout, int32_t* out);
void layList(const float* in, int count, const ListLayout& layout, float* out);
// Genotype texts with their allele numbers laid onto the merged alleles; the mapped texts are
// shared ones from texts.
PVariant reindexGenotypes(const PVariant& genotypes, const QVector<int>& alleleMap, TextCache& texts);

} // namespace MergeFieldValues
