#pragma once

#include "source/values/PVariant.h"

#include <QVector>

// Layout of full-coverage (sparse-array) sources: values per base, stored only where a bin of
// `binSize` bases holds data.
// - One chunk table of kind "sparse_array_chunks" whose columns are the fields and whose
//   chunk_bits is log2(binSize): every stored bin is exactly one chunk of each column, padded
//   with the default value past the data.
// - Field rows use the index map "SPARSE_ARRAY"; the field type is the per-base type; the
//   default value is the field property `SparseArrayDefaultValue`.
// - The "idx_sparse_array" row (field id -1, empty query table name, the data table's id) holds
//   this description in `idx_meta`: "coordSysId", "usageSpace", "assemblyData", "binSize",
//   "defaultValue" and "chromosomes", a list of {"name", "length", "runs"} where each run
//   [firstBin, binCount, firstChunk] says that bins firstBin .. firstBin + binCount - 1 of the
//   chromosome are the chunks firstChunk .. firstChunk + binCount - 1.
struct TsfSparseArrayLayout {
    struct Run {
        int64_t firstBin = 0;
        int64_t binCount = 0;
        int64_t firstChunk = 0;
    };
    struct Chromosome {
        QByteArray name;
        int64_t length = 0; // one past the last base with data
        QVector<Run> runs;
    };

    QString coordSysId;
    QString usageSpace;
    QString assemblyData;
    int binSize = 4096;
    PVariant defaultValue;
    QVector<Chromosome> chromosomes;

    // Whether a bin size can be used: a power of two from 2^8 to 2^20.
    static bool isValidBinSize(int binSize);
    int chunkBits() const;
    const Chromosome* chromosome(const QByteArray& name) const;
    // The chunk number of a bin of a chromosome; -1 when the bin was not stored.
    static int64_t chunkOf(const Chromosome& chromosome, int64_t bin);
    // Appends a stored bin as the next chunk, extending the last run when it follows it.
    void addBin(const QByteArray& chromosome, int64_t bin, int64_t chunk);

    PVariantMap toMap() const;
    // False with a message naming the missing or malformed key.
    static bool fromMap(const PVariantMap& map, TsfSparseArrayLayout* layout, QString* error);
};
