#pragma once

#include "formats/text/TextFileLineIterator.h"

#include <QByteArray>
#include <htslib/hts.h>
#include <htslib/kstring.h>

#include <cstdint>

struct tbx_t;

namespace TextFile {

// The lines of a tabix-indexed file that overlap one region (0-based, half-open [start, stop)), in
// file order; a chromosome the index does not list yields no lines.
//
// A query is aimed at one region after another. Regions read in genomic order continue from where
// the last one stopped, without a seek, when the index says the new region's records start at or
// before the line in hand (or in the block already decoded) and no record read so far reaches into
// it; otherwise the query seeks to the first block the index names. So many small queries in
// order cost what reading their records costs.
class Query : public LineIterator {
public:
    Query(htsFile* file, tbx_t* index, const QString& path);
    ~Query() override;
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void start(const QByteArray& chromosome, int32_t start, int32_t stop);
    // filePosition receives the BGZF virtual offset of the line's start.
    const char* nextLine(int* length, qint64* filePosition = nullptr) override;
    bool isDone() const { return m_done; }

private:
    // Where the index says the records overlapping the region start; -1 when there are none.
    int64_t firstOffset(int tid, int32_t start, int32_t stop) const;
    bool canContinue(int tid, int32_t start, int64_t offset) const;
    // Reads the next record into m_line with its extent; false at the end or on an error.
    bool readRecord();
    const char* fail();

    htsFile* m_file;
    tbx_t* m_index;
    QString m_path;
    kstring_t m_line{0, 0, nullptr};
    // The region of the current query.
    int m_tid = -1;
    int32_t m_start = 0;
    int32_t m_stop = 0;
    // The record in m_line: its extent and where it starts; m_pending when it was read but not yet
    // handed out (it lies past the region before).
    int m_lineTid = -1;
    int64_t m_lineBegin = 0;
    int64_t m_lineEnd = 0;
    int64_t m_lineStart = -1;
    bool m_pending = false;
    // The furthest end of the records read since the last seek, and their chromosome.
    int m_furthestTid = -1;
    int64_t m_furthestEnd = 0;
    bool m_done = true;
};

} // namespace TextFile
