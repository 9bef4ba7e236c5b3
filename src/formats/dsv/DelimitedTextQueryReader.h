#pragma once

#include "formats/dsv/DelimitedTextReader.h"
#include "formats/text/TextFileReader.h"

#include <QHash>

#include <memory>

namespace DelimitedText {

// One open delimited file: the lines of the whole file or of a region of its tabix index, turned
// into features by a Reader. Files ending in "gz" or "bgz" are read as BGZF (with the index
// at the path plus ".tbi" when there is one) or as plain gzip; others as plain text.
class QueryReader {
public:
    QueryReader(QString path, const DelimitedTextReaderOptions& options);

    // Fails with "'<path>' does not exist" or the reason the file cannot be read.
    bool open();
    // Works out the layout from the top of the file (see Reader) with the sampling limits of a
    // probe; with plainTab the file is read as tab-separated with a header on its first line.
    // The layout is then in options().
    bool probe(bool plainTab = false);

    // Starts a read of every feature, or (indexed files only) of the features near a region.
    bool startRead();
    bool startQuery(const VkSegment& region);
    // The next feature of the read; false at its end or on an error (errorText() set).
    bool next(const QList<int>& fields, VkFeature* feature);

    const DelimitedTextReaderOptions& options() const { return m_reader->options(); }
    const Reader& reader() const { return *m_reader; }
    const QString& path() const { return m_path; }
    bool isBgzf() const;
    bool isIndexed() const { return m_text.mode() == TextFile::Reader::Mode::Tabix; }
    QString indexPath() const { return m_text.indexPath(); }
    // Data lines left out of the reads so far because they could not be read.
    qint64 skippedLines() const { return m_skippedLines; }
    // How far the current read has got through the file, 0 to 100; -1 when it cannot tell.
    int percentDone() const;
    const QString& errorText() const { return m_error; }

private:
    enum class ProbeEnd { Done, HeaderNotFound, Failed };
    ProbeEnd probeLines();
    bool fail(const QString& error);

    QString m_path;
    TextFile::Reader m_text;
    std::unique_ptr<Reader> m_reader;
    // Chromosome names as features carry them, to the names in the tabix index.
    QHash<QByteArray, QByteArray> m_indexNames;
    qint64 m_fileSize = 0;
    qint64 m_position = 0;
    qint64 m_skippedLines = 0;
    QString m_error;
};

} // namespace DelimitedText
