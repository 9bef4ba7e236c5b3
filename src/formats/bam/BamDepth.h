#pragma once

#include <htslib/sam.h>

#include <cstdint>

// Which reads and which of their bases count toward read depth, as samtools depth counts them.
namespace BamDepth {

// Unmapped, secondary, QC-failed and duplicate reads add no depth.
constexpr uint16_t ExcludedFlags = BAM_FUNMAP | BAM_FSECONDARY | BAM_FQCFAIL | BAM_FDUP;

inline bool counts(const bam1_t* read) {
    return !(read->core.flag & ExcludedFlags);
}

// Calls visit(start, end) for each run of reference bases the read covers (CIGAR M, = and X; not
// deletions or skips), 0-based and half-open, in order, while visit returns true.
template <class Visit> void forEachCoveredRun(const bam1_t* read, Visit visit) {
    const uint32_t* cigar = bam_get_cigar(read);
    int64_t position = read->core.pos;
    for (uint32_t i = 0; i < read->core.n_cigar; ++i) {
        const int op = bam_cigar_op(cigar[i]);
        const int64_t length = bam_cigar_oplen(cigar[i]);
        if ((op == BAM_CMATCH || op == BAM_CEQUAL || op == BAM_CDIFF) && !visit(position, position + length))
            return;
        if (bam_cigar_type(op) & 2)
            position += length;
    }
}

} // namespace BamDepth
