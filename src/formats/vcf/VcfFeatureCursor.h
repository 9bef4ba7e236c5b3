#pragma once

#include <vector>

#include "formats/text/TextFileReader.h"
#include "formats/vcf/VcfLineParser.h"
#include "source/readers/FeatureCursor.h"

// Reads the features of a VCF file: every record from an ordinal on, or, through the tabix index,
// the records overlapping a list of regions. Regions are read chromosome by chromosome in the
// order the chromosomes first appear in the list, each chromosome's regions sorted and merged, and
// a record is returned once even when several regions overlap it (as `bcftools view -r` does).
//
// A malformed line ends the read with an error naming the file and the line number (or, for
// region reads, the record's CHROM:POS); the features before it are delivered first. Warnings
// about values read as missing go to the log, a limited number per read.
class VcfFeatureCursor : public FeatureCursor {
public:
    VcfFeatureCursor(const VcfSchema& schema, const QString& path, const QList<int>& fields,
                     bool trimAlleles);
    // Says how many warnings of each kind were not shown.
    ~VcfFeatureCursor() override;

    bool openSequential(qint64 offset, QString* error);
    bool openRegions(const QString& indexPath, const QList<VkSegment>& regions, QString* error);

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override;
    bool atEnd() const override { return !m_line && m_readError.isEmpty(); }
    int percentDone() const override;
    bool canReseek() const override { return m_regionRead; }
    // Reads the new regions through the same file and index; regions in genomic order go on
    // from where the last one ended.
    bool reseek(const QList<VkSegment>& regions, QString* error) override;

private:
    // Makes the next data line the pending one; at the end of a region, goes on with the next.
    void advance();
    bool nextRegion();
    bool include(const VkFeature& feature) const;
    QString located(const QString& message) const;
    void warn(const QStringList& warnings);

    QString m_path;
    TextFile::Reader m_reader;
    VcfLineParser m_parser;
    qint64 m_fileSize = 0;
    // The pending line (valid until the next read) and where it is.
    const char* m_line = nullptr;
    int m_length = 0;
    qint64 m_lineNumber = 0;
    qint64 m_position = 0;
    QString m_readError;
    // Region reads: the merged regions, the one being read, and the position of the last line
    // returned on the current chromosome.
    QList<VkSegment> m_regions;
    int m_region = -1;
    bool m_regionRead = false;
    qint64 m_lastReturned = -1;
    struct WarningKind {
        QString kind;
        QString first;
        int count = 0;
    };
    std::vector<WarningKind> m_warningKinds;
};
