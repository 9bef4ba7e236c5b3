#include "formats/text/TabixIndexBuilder.h"

#include "formats/text/CompressedFile.h"
#include "output/OutputFile.h"

#include <QFile>
#include <QFileInfo>

#include <htslib/bgzf.h>
#include <htslib/hts.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// Both passes run on the two cores of a small machine: compression spreads over BGZF's worker
// threads, indexing decompresses ahead on as many.
constexpr int kThreads = 2;
constexpr int kBlocksPerThread = 256;
constexpr size_t kReadSize = 4 << 20;

struct BgzfCloser {
    void operator()(BGZF* file) const { bgzf_close(file); }
};
using BgzfPtr = std::unique_ptr<BGZF, BgzfCloser>;

} // namespace

TabixIndexBuilder::TabixIndexBuilder(QString textPath, QString bgzipPath, const tbx_conf_t& conf)
    : m_textPath(std::move(textPath)), m_bgzipPath(std::move(bgzipPath)), m_conf(conf) {}

bool TabixIndexBuilder::run(const PrecomputeProgress& progress, QString* error) {
    const bool compressing = m_textPath != m_bgzipPath;
    if (!QFileInfo(m_textPath).isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(m_textPath);
        return false;
    }
    if ((compressing && TextFile::isGzip(m_textPath)) || (!compressing && !TextFile::isBgzf(m_bgzipPath))) {
        *error = QStringLiteral("Not a BGZF file: %1").arg(m_textPath);
        return false;
    }
    OutputFile bgzip(m_bgzipPath);
    if (compressing && (!bgzip.open({m_textPath}, error) || !compress(bgzip.writePath(), progress, error)))
        return false;
    if (!progress(99, 100)) {
        *error = QStringLiteral("Cancelled");
        return false;
    }
    // Indexing the temporary copy lets both files arrive together, the index after its data so
    // that readers do not take it for a stale one.
    OutputFile index(m_bgzipPath + QStringLiteral(".tbi"), OutputFile::Access::ByPath);
    if (!index.open({m_textPath}, error) ||
        !buildIndex(compressing ? bgzip.writePath() : m_bgzipPath, index.writePath(), error))
        return false;
    return (!compressing || bgzip.commit(error)) && index.commit(error);
}

bool TabixIndexBuilder::compress(const QString& writePath, const PrecomputeProgress& progress,
                                 QString* error) const {
    QFile text(m_textPath);
    if (!text.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(m_textPath, text.errorString());
        return false;
    }
    BgzfPtr out(bgzf_open(QFile::encodeName(writePath).constData(), "w"));
    if (!out || bgzf_mt(out.get(), kThreads, kBlocksPerThread) != 0) {
        *error = QStringLiteral("Could not write %1").arg(m_bgzipPath);
        return false;
    }
    const qint64 total = text.size();
    qint64 done = 0;
    std::vector<char> buffer(kReadSize);
    for (;;) {
        const qint64 count = text.read(buffer.data(), qint64(buffer.size()));
        if (count < 0) {
            *error = QStringLiteral("Cannot read %1: %2").arg(m_textPath, text.errorString());
            return false;
        }
        if (count == 0)
            break;
        errno = 0;
        if (bgzf_write(out.get(), buffer.data(), size_t(count)) != count) {
            *error = QStringLiteral("Could not write %1: %2")
                         .arg(m_bgzipPath, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        done += count;
        if (!progress(done * 98 / std::max<qint64>(total, 1), 100)) {
            *error = QStringLiteral("Cancelled");
            return false;
        }
    }
    errno = 0;
    if (bgzf_close(out.release()) != 0) {
        *error = QStringLiteral("Could not write %1: %2")
                     .arg(m_bgzipPath, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    return true;
}

bool TabixIndexBuilder::buildIndex(const QString& bgzipPath, const QString& indexPath, QString* error) const {
    if (tbx_index_build3(QFile::encodeName(bgzipPath).constData(), QFile::encodeName(indexPath).constData(),
                         0, kThreads, &m_conf) != 0) {
        *error = QStringLiteral("%1 cannot be indexed: its records are not sorted by position or cannot be "
                                "read")
                     .arg(m_textPath);
        return false;
    }
    return true;
}
