#pragma once

#include "source/readers/LocalFeatureReader.h"

class VcfSchema;

// Reads the features of a VCF source on a worker thread: sequentially, or through the tabix index
// for region reads when the file has one.
//
// The source property "LimitPrefixTrimming" (default "true") keeps alleles as the file writes
// them. Set to "false", the bases that REF and every ALT share at their start (the padding base
// of indels) are trimmed off, the start moves right by as many bases, and an allele left empty is
// written "-": "ATG/A" at POS 100 becomes "TG/-" starting at 0-based 100.
class VcfFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    explicit VcfFeatureReader(VkSourcePtr source);

    // Whether the source's alleles are kept as written (see the class comment).
    static bool limitPrefixTrimming(const VkSource& source);

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;

private:
    const VcfSchema* schema(QString* error) const;
};
