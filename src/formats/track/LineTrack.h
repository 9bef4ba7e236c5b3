#pragma once

#include "source/model/ChromosomeOrder.h"

#include "formats/track/LineParser.h"
#include "formats/track/TrackIndex.h"
#include "source/registry/VkResourceData.h"

#include <QMutex>
#include <QString>

#include <memory>

namespace TextFile {
class Reader;
}

// What the readers of one line-oriented track (BED, GTF, wig, 23andMe) share: the file, how its
// lines parse, and the in-memory index that answers region reads of a file without a tabix index.
// A format derives from it to say how its lines parse; the source holds it as its resource.
class LineTrack : public VkResourceData {
public:
    static constexpr qint64 DefaultMemoryBudget = qint64(1) << 30;

    // usesTabix: whether a ".tbi" (or ".csi") index beside a ".gz" file can answer region reads;
    // not for formats whose lines do not say where they lie (wig).
    LineTrack(QString path, bool usesTabix);

    const QString& path() const { return m_path; }
    // The tabix index of the file; empty when it has none.
    const QString& tabixPath() const { return m_tabixPath; }
    // The chromosomes in file order from the tabix index, which is only built over a sorted file;
    // unknown without one.
    ChromosomeOrder chromosomeOrder() const;

    // A parser filling the listed fields.
    virtual std::unique_ptr<LineParser> parser(const QList<int>& fields) const = 0;

    // Opens the file for a read from its first line: a ".gz" file (gzip or bgzip) as a gzip stream,
    // any other as plain text.
    bool open(TextFile::Reader& reader, QString* error) const;
    // Opens the file with its tabix index, for region queries.
    bool openIndexed(TextFile::Reader& reader, QString* error) const;
    // Parses up to maxLines lines, so that a file of another kind fails when it is opened.
    bool probe(int maxLines, QString* error) const;

    // The in-memory index, built by the first region read (later ones wait for it and share it).
    // Null, without an error, when the track needs more memory than the budget allows; region
    // reads then scan the file.
    std::shared_ptr<const TrackIndex> memoryIndex(QString* error) const;
    void setMemoryBudget(qint64 bytes) { m_memoryBudget = bytes; }

    // A malformed-line message naming the file and the line ("%1 line %2: %3").
    QString lineError(qint64 lineNumber, const QString& reason) const;

private:
    QString m_path;
    QString m_tabixPath;
    qint64 m_memoryBudget = DefaultMemoryBudget;
    mutable QMutex m_indexLock;
    mutable std::shared_ptr<const TrackIndex> m_index;
    mutable bool m_indexTooLarge = false;
};
