#pragma once

#include "formats/dsv/DelimitedTextReaderOptions.h"
#include "source/registry/LocalSourceTypeManager.h"

// Delimited text sources. Through the registry it claims bgzip-compressed files with a tabix
// index (path + ".tbi"); any other delimited file is opened with openPath or openWithOptions.
// Opening probes the file once for its layout, which the source's readers then share.
class DsvSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 8;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override;
    // A path ending in ".gz", other than ".vcf.gz" and ".bed.gz", whose ".tbi" index exists.
    bool handles(const QString& path) const override;
    bool describe(VkSource& source, QString* error) const override;
    // "GenomicIndex" is needed while the file is not bgzip-compressed, or has no tabix index.
    bool precomputeNeeded(const VkSource& source, const QString& usage, QString* message) const override;
    // "GenomicIndex" of tab-separated text with chromosome and start columns: a plain file gets a
    // bgzip copy (path + ".gz"), then the BGZF file its tabix index over those columns.
    PrecomputeJob precomputeJob(const VkSourcePtr& source, const QString& usage) const override;

    // The extension that tells the format: the last suffix once a trailing "gz" or "bgz" is
    // removed ("x.csv.gz" gives "csv").
    static QString effectiveExtension(const QString& path);
    // A fresh layout with the format defaults for the path: comma-separated when its effective
    // extension is "csv" (in any case), tab-separated otherwise; the first line is the header.
    static DelimitedTextReaderOptions defaultOptions(const QString& path);
    // Opens any delimited text file, whatever its name, with the format defaults.
    static VkSourcePtr openPath(const QString& path);
    // Opens a delimited text file with a layout the caller may have partly fixed (the probe fills
    // in the rest; genomic columns already set are not searched for).
    static VkSourcePtr openWithOptions(const QString& path, const DelimitedTextReaderOptions& options);

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
    FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                       const QList<int>& fields, QString* error) const override;
};
