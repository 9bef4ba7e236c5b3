#pragma once

#include "formats/text/TextFileLineIterator.h"

#include <QByteArray>
#include <htslib/hts.h>
#include <htslib/kstring.h>

#include <cstdint>

struct tbx_t;

namespace TextFile {

// The lines of a tabix-indexed file that overlap one region (0-based, half-open [start, stop)), in
// file order. Once the region is exhausted the query is done and stays done; a chromosome the
// index does not list yields no lines.
class Query : public LineIterator {
public:
    Query(htsFile* file, tbx_t* index, const QString& path, const QByteArray& chromosome, int32_t start,
          int32_t stop);
    ~Query() override;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // filePosition receives the BGZF virtual offset of the line's start.
    const char* nextLine(int* length, qint64* filePosition = nullptr) override;
    bool isDone() const { return m_done; }

private:
    static int readRecord(BGZF* fp, void* query, void* line, int* tid, hts_pos_t* begin, hts_pos_t* end);

    htsFile* m_file;
    tbx_t* m_index;
    QString m_path;
    hts_itr_t* m_iterator = nullptr;
    kstring_t m_line{0, 0, nullptr};
    qint64 m_lineStart = -1;
    bool m_done = false;
};

} // namespace TextFile
