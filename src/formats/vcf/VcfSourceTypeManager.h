#pragma once

#include "source/registry/LocalSourceTypeManager.h"

// The VCF kind: ".vcf", ".gvcf", ".vcf.gz" and ".gvcf.gz" files (any case), plain, gzip or bgzip
// compressed, read through their tabix index when one lies beside them.
//
// The source property "LimitPrefixTrimming" (default "true") keeps alleles as the file writes
// them. Set to "false", the bases that REF and every ALT share at their start (the padding base
// of indels) are trimmed off, the start moves right by as many bases, and an allele left empty is
// written "-": "ATG/A" at POS 100 becomes "TG/-" starting at 0-based 100.
class VcfSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 3;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override;
    // Reads the header: the description's properties, documentation and schema. A missing file
    // gives "%1 does not exist".
    bool describe(VkSource& source, QString* error) const override;
    // "GenomicIndex" is needed until the file has a bgzip copy with a tabix index.
    bool precomputeNeeded(const VkSource& source, const QString& usage, QString* message) const override;
    // "GenomicIndex": a plain file gets a bgzip copy (path + ".gz"), then the BGZF file its tabix
    // index; an index that exists already is built again.
    PrecomputeJob precomputeJob(const VkSourcePtr& source, const QString& usage) const override;
    VkFieldReader* createFieldReader(const VkSourcePtr& source) const override;

    // Whether the source's alleles are kept as written (see the class comment).
    static bool limitPrefixTrimming(const VkSource& source);

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;
};
