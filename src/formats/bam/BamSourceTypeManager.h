#pragma once

#include "source/registry/LocalSourceTypeManager.h"

// The fields of an aligned read, in schema order.
namespace BamField {
enum : int {
    Name,
    Bin,
    MapQual,
    Flag,
    CigarOp,
    CigarLen,
    MateChr,
    MatePos,
    TemplateLen,
    Seq,
    Align,
    Qual,
    Count
};
}

// BAM alignment files: one feature per placed read, with the fixed schema of aligned reads.
class BamSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 2;
    // The schema of aligned reads, one "symbol=type" per field.
    static const char SchemaLine[];

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override { return {QStringLiteral(".bam")}; }
    bool describe(VkSource& source, QString* error) const override;
    // "GenomicIndex" is needed while the file has no index, "AlignmentCoverage" while it has no
    // ".covtsf" companion.
    bool precomputeNeeded(const VkSource& source, const QString& usage, QString* message) const override;
    // "GenomicIndex" writes the ".bai" beside the file, as `samtools index` does; "AlignmentCoverage"
    // the read depth as a ".covtsf" companion (BamCoverageBuilder).
    PrecomputeJob precomputeJob(const VkSourcePtr& source, const QString& usage) const override;

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;
};
