#include "formats/track/LineTrack.h"

#include "formats/text/TextFileReader.h"

#include <QFileInfo>

namespace {
QString indexBeside(const QString& path) {
    for (const char* suffix : {".tbi", ".csi"}) {
        const QString index = path + QLatin1String(suffix);
        if (QFileInfo(index).isFile())
            return index;
    }
    return QString();
}

// How often the index build checks its size against the budget.
constexpr qint64 BudgetCheckInterval = 4096;
} // namespace

LineTrack::LineTrack(QString path, bool usesTabix) : m_path(std::move(path)) {
    if (usesTabix && m_path.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive))
        m_tabixPath = indexBeside(m_path);
}

bool LineTrack::open(TextFile::Reader& reader, QString* error) const {
    const bool opened = m_path.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive) ? reader.openGzip(m_path)
                                                                                   : reader.openText(m_path);
    if (!opened || !reader.startRead()) {
        *error = reader.errorText();
        return false;
    }
    return true;
}

bool LineTrack::openIndexed(TextFile::Reader& reader, QString* error) const {
    if (reader.openTabix(m_path, m_tabixPath))
        return true;
    *error = reader.errorText();
    return false;
}

ChromosomeOrder LineTrack::chromosomeOrder() const {
    TextFile::Reader reader;
    QString ignored;
    if (m_tabixPath.isEmpty() || !openIndexed(reader, &ignored))
        return ChromosomeOrder();
    return ChromosomeOrder(reader.sequenceNames(), ChromosomeOrder::Sortedness::Sorted);
}

bool LineTrack::probe(int maxLines, QString* error) const {
    TextFile::Reader reader;
    if (!open(reader, error))
        return false;
    QList<int> allFields;
    for (int idx = 0; idx < parser({})->fieldCount(); ++idx)
        allFields.append(idx);
    std::unique_ptr<LineParser> lines = parser(allFields);
    QString reason;
    int length = 0;
    for (int lineNumber = 1; lineNumber <= maxLines; ++lineNumber) {
        const char* line = reader.nextLine(&length);
        if (!line)
            break;
        VkFeature feature(VkSegment(), PVariantVector(lines->fieldCount()));
        if (lines->parse(line, length, feature, &reason) == LineParser::Malformed) {
            *error = lineError(lineNumber, reason);
            return false;
        }
    }
    *error = reader.errorText();
    return error->isEmpty();
}

std::shared_ptr<const TrackIndex> LineTrack::memoryIndex(QString* error) const {
    QMutexLocker locker(&m_indexLock);
    if (m_index || m_indexTooLarge)
        return m_index;
    TextFile::Reader reader;
    if (!open(reader, error))
        return nullptr;
    std::unique_ptr<LineParser> lines = parser({});
    auto index = std::make_shared<TrackIndex>();
    VkFeature feature(VkSegment(), PVariantVector(lines->fieldCount()));
    QString reason;
    int length = 0;
    qint64 lineNumber = 0;
    while (const char* line = reader.nextLine(&length)) {
        ++lineNumber;
        switch (lines->parse(line, length, feature, &reason)) {
        case LineParser::Record:
            index->add(feature.segment(), line, length);
            if (index->count() % BudgetCheckInterval == 0 && index->memoryBytes() > m_memoryBudget) {
                m_indexTooLarge = true;
                return nullptr;
            }
            break;
        case LineParser::Skip:
            break;
        case LineParser::Malformed:
            *error = lineError(lineNumber, reason);
            return nullptr;
        }
    }
    if (reader.hasError()) {
        *error = reader.errorText();
        return nullptr;
    }
    if (index->memoryBytes() > m_memoryBudget) {
        m_indexTooLarge = true;
        return nullptr;
    }
    index->finish();
    m_index = std::move(index);
    return m_index;
}

QString LineTrack::lineError(qint64 lineNumber, const QString& reason) const {
    return QStringLiteral("%1 line %2: %3").arg(m_path).arg(lineNumber).arg(reason);
}
