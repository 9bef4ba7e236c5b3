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
// A per-sample list of per-allele or per-genotype values (a matrix of lists) laid onto the merged
// alleles; genotypes the sample's record did not have are missing.
PVariant reindexMatrix(const PVariant& matrix, const QVector<int>& alleleMap, AlleleNumber number,
                       int outputAlleles);
// Genotype texts with their allele numbers laid onto the merged alleles; the mapped texts are
// shared ones from texts.
PVariant reindexGenotypes(const PVariant& genotypes, const QVector<int>& alleleMap, TextCache& texts);

} // namespace MergeFieldValues
