#pragma once

#include "formats/text/GZFile.h"
#include "formats/text/TextFileLineIterator.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <cstdint>
#include <memory>

struct tbx_t;

namespace TextFile {

class Query;

// One open line-oriented file: plain text, gzip, BGZF, or BGZF with a tabix index. A read is started
// with startRead() (the whole file) or startQuery() (a region, tabix files only), after which
// nextLine() hands out the lines until it returns nullptr; errorText() then tells an error from the
// end of the data.
class Reader {
public:
    enum class Mode { Closed = 0, Tabix = 1, Bgzf = 2, Text = 3, Gzip = 4 };

    Reader() = default;
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Each open first closes what was open; on failure the reader stays closed with an error text.
    bool openTabix(const QString& path, const QString& indexPath);
    bool openBgzf(const QString& path);
    bool openText(const QString& path);
    bool openGzip(const QString& path);
    void close();
    bool isOpen() const;

    Mode mode() const { return m_mode; }
    const QString& path() const { return m_path; }
    const QString& indexPath() const { return m_indexPath; }
    // The chromosome names listed in the tabix index, in index order.
    const QList<QByteArray>& sequenceNames() const { return m_sequenceNames; }
    // The records a tabix index counts over all its sequences; -1 without an index or its counts.
    qint64 indexedRecordCount() const;

    // Threads that decompress BGZF blocks ahead of the reader (0: none); used by the BGZF and tabix
    // opens that follow.
    void setDecompressionThreads(int threads) { m_threads = threads; }

    // Reads the whole file from its first line with a fresh iterator.
    bool startRead();
    // Reads the lines overlapping [start, stop) on chromosome, 0-based, through the tabix index.
    bool startQuery(const QByteArray& chromosome, int32_t start, int32_t stop);
    // The current read's next line (see LineIterator::nextLine), or nullptr at its end or on an error.
    const char* nextLine(int* length, qint64* filePosition = nullptr) {
        if (!m_iterator)
            return noIterator();
        const char* line = m_iterator->nextLine(length, filePosition);
        if (!line && m_iterator->hasError())
            m_error = m_iterator->errorText();
        return line;
    }
    LineIterator* lineIterator() const { return m_iterator.get(); }

    // Where the consumer of the current read got to (chromosome index, position); -1, -1 at the start.
    QPair<int32_t, int32_t> lastPosition() const { return m_lastPosition; }
    void setLastPosition(int32_t chromosome, int32_t position) { m_lastPosition = {chromosome, position}; }

    bool hasError() const { return !m_error.isEmpty(); }
    const QString& errorText() const { return m_error; }

private:
    void begin(Mode mode, const QString& path);
    bool fail(const QString& error);
    bool openBgzfHandle(const QString& path);
    bool rewind();
    const char* noIterator();

    Mode m_mode = Mode::Closed;
    QString m_path;
    QString m_indexPath;
    int m_threads = 0;
    BGZF* m_bgzf = nullptr;
    htsFile* m_htsFile = nullptr;
    tbx_t* m_index = nullptr;
    std::unique_ptr<GZFile> m_gzFile;
    QFile m_file;
    bool m_missingEofBlock = false;
    bool m_readStarted = false;
    QList<QByteArray> m_sequenceNames;
    std::unique_ptr<LineIterator> m_iterator;
    // The iterator while it is a region query, kept for the next region.
    Query* m_query = nullptr;
    QPair<int32_t, int32_t> m_lastPosition{-1, -1};
    QString m_error;
};

} // namespace TextFile
