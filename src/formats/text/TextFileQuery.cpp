#include "formats/text/TextFileQuery.h"

#include <htslib/bgzf.h>
#include <htslib/tbx.h>

#include <cstdlib>

namespace TextFile {

Query::Query(htsFile* file, tbx_t* index, const QString& path) : m_file(file), m_index(index), m_path(path) {}

Query::~Query() {
    free(m_line.s);
}

int64_t Query::firstOffset(int tid, int32_t start, int32_t stop) const {
    hts_itr_t* iterator = hts_itr_query(m_index->idx, tid, start, stop, tbx_readrec);
    const int64_t offset = iterator && iterator->n_off > 0 ? int64_t(iterator->off[0].u) : -1;
    hts_itr_destroy(iterator);
    return offset;
}

// Going on from the record in hand is right when every record before it that could overlap the
// new region has been read since the last seek (the regions come in order) and none of those
// reached into it; it is worth it when the index points no further than the block in hand.
bool Query::canContinue(int tid, int32_t start, int64_t offset) const {
    if (!m_pending)
        return false;
    const bool inOrder = (tid == m_tid && start >= m_start) || (tid == m_lineTid && tid != m_tid);
    const bool nothingReachesIn = m_furthestTid != tid || m_furthestEnd <= start;
    const bool near = offset <= m_lineStart || (offset >> 16) == (m_lineStart >> 16);
    return inOrder && nothingReachesIn && near;
}

void Query::start(const QByteArray& chromosome, int32_t start, int32_t stop) {
    m_done = true;
    const int tid = tbx_name2id(m_index, chromosome.constData());
    const int64_t offset = tid >= 0 ? firstOffset(tid, start, stop) : -1;
    if (offset < 0)
        return;
    if (!canContinue(tid, start, offset)) {
        if (bgzf_seek(hts_get_bgzfp(m_file), offset, SEEK_SET) < 0) {
            setError(QStringLiteral("Unable to seek in file '%1'").arg(m_path));
            return;
        }
        m_pending = false;
        m_furthestTid = -1;
    }
    m_tid = tid;
    m_start = start;
    m_stop = stop;
    m_done = false;
}

bool Query::readRecord() {
    BGZF* bgzf = hts_get_bgzfp(m_file);
    m_lineStart = bgzf_tell(bgzf);
    int tid = -1;
    hts_pos_t begin = 0;
    hts_pos_t end = 0;
    const int n = tbx_readrec(bgzf, m_index, &m_line, &tid, &begin, &end);
    if (n < -1 || bgzf->errcode != 0) {
        setError(QStringLiteral("Corrupt or truncated compressed data in file '%1'").arg(m_path));
        return false;
    }
    if (n < 0)
        return false;
    m_lineTid = tid;
    m_lineBegin = begin;
    m_lineEnd = end;
    return true;
}

const char* Query::nextLine(int* length, qint64* filePosition) {
    while (!m_done) {
        if (!m_pending && !(m_pending = readRecord()))
            break;
        if (m_lineTid != m_tid || m_lineBegin >= m_stop)
            break;
        m_pending = false;
        if (m_lineTid != m_furthestTid || m_lineEnd > m_furthestEnd) {
            m_furthestTid = m_lineTid;
            m_furthestEnd = m_lineEnd;
        }
        if (m_lineEnd > m_start) {
            if (filePosition)
                *filePosition = m_lineStart;
            *length = int(m_line.l);
            return m_line.s;
        }
    }
    m_done = true;
    return nullptr;
}

} // namespace TextFile
