#include "formats/bam/BamFile.h"

#include <QFile>
#include <QFileInfo>

#include <htslib/bgzf.h>
#include <htslib/sam.h>

#include <algorithm>

BamFile::BamFile(QString path, htsFile* file, sam_hdr_t* header)
    : m_path(std::move(path)), m_file(file), m_header(header), m_size(QFileInfo(m_path).size()) {
    for (int tid = 0; tid < sam_hdr_nref(header); ++tid)
        m_chromosomes.append(QByteArray(sam_hdr_tid2name(header, tid)));
    const QString indexPath = indexPathOf(m_path);
    if (!indexPath.isEmpty())
        m_index = sam_index_load3(file, QFile::encodeName(m_path).constData(),
                                  QFile::encodeName(indexPath).constData(), HTS_IDX_SILENT_FAIL);
}

BamFile::~BamFile() {
    if (m_index)
        hts_idx_destroy(m_index);
    sam_hdr_destroy(m_header);
    hts_close(m_file);
}

std::unique_ptr<BamFile> BamFile::open(const QString& path, QString* error) {
    if (!QFileInfo::exists(path)) {
        *error = QStringLiteral("%1 does not exist").arg(path);
        return nullptr;
    }
    htsFile* file = hts_open(QFile::encodeName(path).constData(), "rb");
    if (!file) {
        *error = QStringLiteral("%1 cannot be opened").arg(path);
        return nullptr;
    }
    if (hts_get_format(file)->format != bam) {
        hts_close(file);
        *error = QStringLiteral("%1 is not a BAM file").arg(path);
        return nullptr;
    }
    sam_hdr_t* header = sam_hdr_read(file);
    if (!header) {
        hts_close(file);
        *error = QStringLiteral("%1 is not a valid BAM file: its header cannot be read").arg(path);
        return nullptr;
    }
    return std::unique_ptr<BamFile>(new BamFile(path, file, header));
}

QByteArray BamFile::headerText() const {
    return QByteArray(sam_hdr_str(m_header));
}

qint64 BamFile::placedReadCount() const {
    if (!m_index)
        return -1;
    qint64 count = 0;
    for (int tid = 0; tid < m_chromosomes.size(); ++tid) {
        uint64_t mapped = 0;
        uint64_t unmapped = 0;
        if (hts_idx_get_stat(m_index, tid, &mapped, &unmapped) == 0)
            count += qint64(mapped + unmapped);
    }
    return count;
}

int BamFile::percentRead() const {
    if (m_size <= 0)
        return 100;
    // A BGZF virtual offset holds the compressed offset in its upper 48 bits.
    const qint64 compressed = qint64(bgzf_tell(m_file->fp.bgzf) >> 16);
    return int(std::min<qint64>(100, 100 * compressed / m_size));
}

QString BamFile::indexPathOf(const QString& path) {
    QStringList candidates = {path + QStringLiteral(".bai"), path + QStringLiteral(".csi")};
    if (path.endsWith(QLatin1String(".bam"), Qt::CaseInsensitive))
        candidates.insert(1, path.left(path.size() - 4) + QStringLiteral(".bai"));
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate))
            return candidate;
    return QString();
}

// The steps of htslib's sam_index_build, on the file already open: that call leaks the header it
// reads when the reads turn out not to be sorted.
bool BamFile::buildIndex(const QString& path, QString* error, const QString& indexPath) {
    const std::unique_ptr<BamFile> file = open(path, error);
    if (!file)
        return false;
    BGZF* data = file->m_file->fp.bgzf;
    constexpr int kBaiMinShift = 14;
    constexpr int kBaiLevels = 5;
    const std::unique_ptr<hts_idx_t, void (*)(hts_idx_t*)> index(
        hts_idx_init(sam_hdr_nref(file->m_header), HTS_FMT_BAI, bgzf_tell(data), kBaiMinShift, kBaiLevels),
        hts_idx_destroy);
    const std::unique_ptr<bam1_t, void (*)(bam1_t*)> read(bam_init1(), bam_destroy1);
    int status = 0;
    bool sorted = true;
    while (sorted && index && read && (status = sam_read1(file->m_file, file->m_header, read.get())) >= 0) {
        const bam1_core_t& core = read->core;
        sorted = hts_idx_push(index.get(), core.tid, core.pos, bam_endpos(read.get()), bgzf_tell(data),
                              !(core.flag & BAM_FUNMAP)) == 0;
    }
    // sam_read1 says -1 at the end of the reads, less on damaged data.
    if (!index || !read || !sorted || status < -1) {
        *error = QStringLiteral("%1 cannot be indexed: its reads are not sorted by position or are damaged")
                     .arg(path);
        return false;
    }
    const QString written = indexPath.isEmpty() ? path + QStringLiteral(".bai") : indexPath;
    if (hts_idx_finish(index.get(), bgzf_tell(data)) != 0 ||
        hts_idx_save_as(index.get(), QFile::encodeName(path).constData(),
                        QFile::encodeName(written).constData(), HTS_FMT_BAI) != 0) {
        *error = QStringLiteral("Cannot write the index %1").arg(written);
        return false;
    }
    return true;
}
