#include "formats/dsv/DelimitedTextQueryReader.h"

#include <QFileInfo>
#include <htslib/bgzf.h>
#include <htslib/hts.h>

namespace DelimitedText {

namespace {
bool isCompressedPath(const QString& path) {
    return path.endsWith(QLatin1String("gz"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String("bgz"), Qt::CaseInsensitive);
}

// Plain gzip is read through its own stream: BGZF virtual offsets mean nothing there.
bool isBgzfFile(const QString& path) {
    BGZF* file = bgzf_open(path.toLocal8Bit().constData(), "r");
    if (!file)
        return false;
    const bool blocked = bgzf_compression(file) == bgzf;
    bgzf_close(file);
    return blocked;
}
} // namespace

QueryReader::QueryReader(QString path, const DelimitedTextReaderOptions& options)
    : m_path(std::move(path)), m_reader(std::make_unique<Reader>(options)) {}

bool QueryReader::fail(const QString& error) {
    m_error = error;
    return false;
}

bool QueryReader::open() {
    const QFileInfo info(m_path);
    if (!info.isFile())
        return fail(QStringLiteral("'%1' does not exist").arg(m_path));
    m_fileSize = info.size();
    const QString index = m_path + QStringLiteral(".tbi");
    bool opened = false;
    if (!isCompressedPath(m_path))
        opened = m_text.openText(m_path);
    else if (!isBgzfFile(m_path))
        opened = m_text.openGzip(m_path);
    else if (QFileInfo(index).isFile())
        opened = m_text.openTabix(m_path, index);
    else
        opened = m_text.openBgzf(m_path);
    if (!opened)
        return fail(m_text.errorText());
    for (const QByteArray& name : m_text.sequenceNames()) {
        const Span normal = normalizeChromosome(Span{name.constData(), name.size()}, options().trimChrName());
        m_indexNames.insert(normal.toByteArray(), name);
    }
    return true;
}

bool QueryReader::isBgzf() const {
    return m_text.mode() == TextFile::Reader::Mode::Tabix || m_text.mode() == TextFile::Reader::Mode::Bgzf;
}

bool QueryReader::probe(bool plainTab) {
    DelimitedTextReaderOptions options = m_reader->options().clone();
    options.setMaxHeaderSearchLineCount(200);
    options.setMaxFieldTypeSampleCount(200);
    options.setMaxListTypeSampleCount(10);
    if (plainTab) {
        options.setHeaderLine(0);
        options.setFieldDelimiter(QStringLiteral("\t"));
        options.setListDelimiter(QStringLiteral(","));
    }
    m_reader = std::make_unique<Reader>(options);
    ProbeEnd end = probeLines();
    if (end == ProbeEnd::HeaderNotFound) {
        // No line looked like the header: the file has none, and its data starts at the top.
        options.setHeaderLine(-1);
        options.setHeaderLinePatternType(-1);
        m_reader = std::make_unique<Reader>(options);
        end = probeLines();
    }
    if (end != ProbeEnd::Done || !m_reader->finishProbe())
        return fail(m_reader->hasError() ? m_reader->errorText() : m_error);
    return true;
}

QueryReader::ProbeEnd QueryReader::probeLines() {
    if (m_reader->hasError())
        return ProbeEnd::Failed;
    if (!m_text.startRead()) {
        fail(m_text.errorText());
        return ProbeEnd::Failed;
    }
    int size = 0;
    qint64 position = 0;
    while (const char* line = m_text.nextLine(&size, &position)) {
        switch (m_reader->probeLine(line, size, position)) {
        case Reader::Probe::NeedMore:
            continue;
        case Reader::Probe::Complete:
            return ProbeEnd::Done;
        case Reader::Probe::HeaderNotFound:
            return ProbeEnd::HeaderNotFound;
        case Reader::Probe::Failed:
            return ProbeEnd::Failed;
        }
    }
    if (m_text.hasError()) {
        fail(m_text.errorText());
        return ProbeEnd::Failed;
    }
    return m_reader->headerNotFound() ? ProbeEnd::HeaderNotFound : ProbeEnd::Done;
}

bool QueryReader::startRead() {
    m_position = 0;
    if (!m_reader->prepare())
        return fail(m_reader->errorText());
    return m_text.startRead() || fail(m_text.errorText());
}

bool QueryReader::startQuery(const VkSegment& region) {
    m_position = 0;
    if (!m_reader->prepare())
        return fail(m_reader->errorText());
    // Ask a base more on each side: the index may count the start from 1 where the layout does not.
    const auto name = m_indexNames.constFind(region.chromosome());
    const QByteArray chromosome = name != m_indexNames.constEnd() ? *name : region.chromosome();
    return m_text.startQuery(chromosome, std::max(0, region.start() - 1), region.stop() + 1) ||
           fail(m_text.errorText());
}

bool QueryReader::next(const QList<int>& fields, VkFeature* feature) {
    int size = 0;
    while (const char* line = m_text.nextLine(&size, &m_position)) {
        if (!m_reader->isDataLine(line, size, m_position))
            continue;
        if (m_reader->readFeature(line, size, fields, feature))
            return true;
        ++m_skippedLines;
    }
    if (m_text.hasError())
        fail(m_text.errorText());
    return false;
}

int QueryReader::percentDone() const {
    if (m_fileSize <= 0 || m_text.mode() == TextFile::Reader::Mode::Gzip)
        return -1;
    const qint64 offset = isBgzf() ? (m_position >> 16) : m_position;
    return int(std::min<qint64>(100, offset * 100 / m_fileSize));
}

} // namespace DelimitedText
