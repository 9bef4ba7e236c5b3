#pragma once

#include "formats/dsv/DelimitedTextSplitter.h"

#include <QVector>

namespace DelimitedText {

// The columns that place a line on the genome; -1 for a role no column has.
struct GenomicColumns {
    int segment = -1;
    int start = -1;
    int stop = -1;
};

// Finds the genomic columns by their names: start and stop among Int columns, the chromosome
// among String columns and then among Int columns. Roles already set in found are kept and
// their columns are not taken again.
GenomicColumns detectGenomicColumns(const QVector<QByteArray>& names, const QVector<int>& types,
                                    GenomicColumns found);

// The chromosome name as features carry it: with trim, a leading "chr" (any case) is removed
// from names longer than three characters; then "x", "y", "m" and "mt" are upper-cased.
Span normalizeChromosome(Span name, bool trim);

// A locus written chr:start-stop (the stop may be left out). False when it does not parse.
bool parseLocus(Span text, Span* chromosome, int32_t* start, int32_t* stop, bool* hasStop);

} // namespace DelimitedText
