#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

struct htsFile;
struct sam_hdr_t;
struct hts_idx_t;

// An open BAM file with its header and, when there is one, its index (".bai" or ".csi"). htslib's
// handles keep a file position, so every reader opens its own.
class BamFile {
public:
    ~BamFile();
    BamFile(const BamFile&) = delete;
    BamFile& operator=(const BamFile&) = delete;

    // Null, with the reason, when the file is missing, not BAM or its header cannot be read.
    static std::unique_ptr<BamFile> open(const QString& path, QString* error);

    htsFile* file() const { return m_file; }
    sam_hdr_t* header() const { return m_header; }
    // Null when the file has no index.
    hts_idx_t* index() const { return m_index; }
    const QString& path() const { return m_path; }

    // The reference names of the header, by tid.
    const QVector<QByteArray>& chromosomes() const { return m_chromosomes; }
    int tid(const QByteArray& chromosome) const { return m_chromosomes.indexOf(chromosome); }
    // The header's text.
    QByteArray headerText() const;
    // Placed reads (mapped, or unmapped at their mate's position) counted by the index; -1 without it.
    qint64 placedReadCount() const;
    // How far a sequential read has come through the file, 0 to 100.
    int percentRead() const;

    // The index file next to a BAM file (".bam.bai", ".bai" or ".bam.csi"); empty when there is none.
    static QString indexPathOf(const QString& path);
    // Writes the ".bai" of a coordinate-sorted BAM file next to it, or to indexPath when given (the
    // work of the "GenomicIndex" precomputation); false, with the reason, when the file cannot be
    // indexed.
    static bool buildIndex(const QString& path, QString* error, const QString& indexPath = QString());

private:
    BamFile(QString path, htsFile* file, sam_hdr_t* header);

    QString m_path;
    htsFile* m_file;
    sam_hdr_t* m_header;
    hts_idx_t* m_index = nullptr;
    QVector<QByteArray> m_chromosomes;
    qint64 m_size = 0;
};
