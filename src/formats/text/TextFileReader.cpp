#include "formats/text/TextFileReader.h"

#include "formats/text/TextFileQuery.h"

#include <QFileInfo>
#include <htslib/bgzf.h>
#include <htslib/hts.h>
#include <htslib/tbx.h>

#include <cstdlib>

namespace TextFile {

namespace {

constexpr int BlocksPerThread = 256;

// htslib prints a message of its own when a local file is missing; checking first keeps the console
// to ours. Paths with a scheme are left to htslib.
bool missingLocalFile(const QString& path) {
    return !path.contains(QLatin1String("://")) && !QFileInfo(path).isFile();
}

QString unableToOpen(const QString& path) {
    return QStringLiteral("Unable to open file '%1'").arg(path);
}

// Checked before any decompression thread starts: htslib can hang checking a damaged file then.
bool lacksEofBlock(BGZF* handle) {
    return bgzf_compression(handle) == bgzf && bgzf_check_EOF(handle) == 0;
}

} // namespace

Reader::~Reader() {
    close();
}

void Reader::begin(Mode mode, const QString& path) {
    close();
    m_error.clear();
    m_mode = mode;
    m_path = path;
}

bool Reader::fail(const QString& error) {
    close();
    m_error = error;
    return false;
}

bool Reader::openTabix(const QString& path, const QString& indexPath) {
    begin(Mode::Tabix, path);
    m_indexPath = indexPath;
    const QByteArray file = path.toLocal8Bit();
    if (missingLocalFile(path) || !(m_htsFile = hts_open(file.constData(), "r")) ||
        hts_get_format(m_htsFile)->compression != bgzf)
        return fail(unableToOpen(path));
    if (missingLocalFile(indexPath) ||
        !(m_index = tbx_index_load2(file.constData(), indexPath.toLocal8Bit().constData())))
        return fail(QStringLiteral("Unable to open index file '%1'").arg(indexPath));
    m_missingEofBlock = lacksEofBlock(hts_get_bgzfp(m_htsFile));
    if (m_threads > 0)
        hts_set_threads(m_htsFile, m_threads);
    int count = 0;
    const char** names = tbx_seqnames(m_index, &count);
    for (int i = 0; i < count; ++i)
        m_sequenceNames.append(QByteArray(names[i]));
    free(names);
    return true;
}

qint64 Reader::indexedRecordCount() const {
    if (!m_index)
        return -1;
    qint64 total = 0;
    for (int i = 0; i < m_sequenceNames.size(); ++i) {
        uint64_t mapped = 0;
        uint64_t unmapped = 0;
        if (hts_idx_get_stat(m_index->idx, i, &mapped, &unmapped) < 0)
            return -1;
        total += qint64(mapped);
    }
    return total;
}

bool Reader::openBgzf(const QString& path) {
    begin(Mode::Bgzf, path);
    if (missingLocalFile(path) || !(m_bgzf = bgzf_open(path.toLocal8Bit().constData(), "r")))
        return fail(unableToOpen(path));
    m_missingEofBlock = lacksEofBlock(m_bgzf);
    if (m_threads > 0)
        bgzf_mt(m_bgzf, m_threads, BlocksPerThread);
    return true;
}

bool Reader::openText(const QString& path) {
    begin(Mode::Text, path);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(unableToOpen(path));
    return true;
}

bool Reader::openGzip(const QString& path) {
    begin(Mode::Gzip, path);
    m_gzFile = std::make_unique<GZFile>(path);
    if (!m_gzFile->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(unableToOpen(path));
    return true;
}

void Reader::close() {
    m_iterator.reset();
    m_query = nullptr;
    if (m_bgzf)
        bgzf_close(m_bgzf);
    if (m_index)
        tbx_destroy(m_index);
    if (m_htsFile)
        hts_close(m_htsFile);
    m_bgzf = nullptr;
    m_index = nullptr;
    m_htsFile = nullptr;
    m_gzFile.reset();
    m_file.close();
    m_sequenceNames.clear();
    m_mode = Mode::Closed;
    m_missingEofBlock = false;
    m_readStarted = false;
}

bool Reader::isOpen() const {
    return m_bgzf || m_htsFile || m_index || m_gzFile || m_file.isOpen();
}

// A sequential handle goes back to the start by opening the file again (a plain gzip stream read
// through the BGZF reader cannot seek); a tabix file seeks, as its queries do.
bool Reader::rewind() {
    switch (m_mode) {
    case Mode::Tabix:
        return bgzf_seek(hts_get_bgzfp(m_htsFile), 0, SEEK_SET) == 0 ||
               fail(QStringLiteral("Unable to rewind file '%1'").arg(m_path));
    case Mode::Bgzf:
        return openBgzf(m_path);
    case Mode::Text:
        return openText(m_path);
    case Mode::Gzip:
        return openGzip(m_path);
    case Mode::Closed:
        break;
    }
    m_error = QStringLiteral("No file open");
    return false;
}

bool Reader::startRead() {
    m_iterator.reset();
    m_query = nullptr;
    m_error.clear();
    m_lastPosition = {-1, -1};
    if ((m_readStarted || m_mode == Mode::Tabix || m_mode == Mode::Closed) && !rewind())
        return false;
    m_readStarted = true;
    switch (m_mode) {
    case Mode::Tabix:
        m_iterator = std::make_unique<TabixLineIterator>(m_htsFile, m_path, m_missingEofBlock);
        break;
    case Mode::Bgzf:
        m_iterator = std::make_unique<BgzLineIterator>(m_bgzf, m_path, m_missingEofBlock);
        break;
    case Mode::Text:
        m_iterator = std::make_unique<TextLineIterator>(&m_file, m_path);
        break;
    case Mode::Gzip:
        m_iterator = std::make_unique<GzipLineIterator>(m_gzFile.get(), m_path);
        break;
    case Mode::Closed:
        break;
    }
    return true;
}

bool Reader::startQuery(const QByteArray& chromosome, int32_t start, int32_t stop) {
    m_error.clear();
    m_lastPosition = {-1, -1};
    if (m_mode != Mode::Tabix) {
        m_iterator.reset();
        m_query = nullptr;
        m_error = QStringLiteral("Region reads need a tabix index: file '%1'").arg(m_path);
        return false;
    }
    // One query serves every region, so that regions in order go on without seeking.
    if (!m_query) {
        auto query = std::make_unique<Query>(m_htsFile, m_index, m_path);
        m_query = query.get();
        m_iterator = std::move(query);
    }
    m_query->start(chromosome, start, stop);
    if (m_query->hasError()) {
        m_error = m_query->errorText();
        return false;
    }
    return true;
}

const char* Reader::noIterator() {
    m_error = QStringLiteral("No line iterator set");
    return nullptr;
}

} // namespace TextFile
