#include "formats/text/TextFileQuery.h"

#include <htslib/bgzf.h>
#include <htslib/tbx.h>

#include <cstdlib>

namespace TextFile {

Query::Query(htsFile* file, tbx_t* index, const QString& path, const QByteArray& chromosome, int32_t start,
             int32_t stop)
    : m_file(file), m_index(index), m_path(path) {
    const int tid = tbx_name2id(index, chromosome.constData());
    if (tid >= 0)
        m_iterator = hts_itr_query(index->idx, tid, start, stop, &Query::readRecord);
    m_done = m_iterator == nullptr;
}

Query::~Query() {
    hts_itr_destroy(m_iterator);
    free(m_line.s);
}

// Wraps the tabix record reader to note where each line starts: the htslib iterator reads, and
// skips, the lines before the region itself.
int Query::readRecord(BGZF* fp, void* query, void* line, int* tid, hts_pos_t* begin, hts_pos_t* end) {
    auto* self = static_cast<Query*>(query);
    self->m_lineStart = bgzf_tell(fp);
    return tbx_readrec(fp, self->m_index, line, tid, begin, end);
}

const char* Query::nextLine(int* length, qint64* filePosition) {
    if (m_done)
        return nullptr;
    BGZF* bgzf = hts_get_bgzfp(m_file);
    const int n = hts_itr_next(bgzf, m_iterator, &m_line, this);
    if (n < 0 || bgzf->errcode != 0) {
        m_done = true;
        if (n < -1 || bgzf->errcode != 0)
            setError(QStringLiteral("Corrupt or truncated compressed data in file '%1'").arg(m_path));
        return nullptr;
    }
    if (filePosition)
        *filePosition = m_lineStart;
    *length = n;
    return m_line.s;
}

} // namespace TextFile
