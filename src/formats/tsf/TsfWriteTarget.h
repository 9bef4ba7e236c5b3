#pragma once

#include "output/OutputFile.h"
#include "output/TemporaryFile.h"

#include <QString>

#include <memory>

// Where a TSF write goes and how the finished file takes its place. A file is written through an
// OutputFile: under a temporary name beside the output, which takes the output's place in one
// rename only when the whole write succeeded, so a failed write never touches the output. An
// in-memory target (a name beginning with "[memory]") is written in place. A TSF file is a
// database, so a device or FIFO cannot take one.
class TsfWriteTarget {
public:
    explicit TsfWriteTarget(QString outputPath);
    ~TsfWriteTarget();
    TsfWriteTarget(const TsfWriteTarget&) = delete;
    TsfWriteTarget& operator=(const TsfWriteTarget&) = delete;

    const QString& outputPath() const { return m_outputPath; }
    bool isMemory() const;
    // The database written: the temporary file, or the in-memory name.
    QString writePath() const;
    // Whether the write adds a source to the existing output rather than making a new file.
    bool extendsExisting() const { return m_extends; }

    // Makes the temporary file and clears a journal left beside the output. To add to an existing
    // output (newFile false), the temporary file starts as its copy.
    bool prepare(bool newFile, QString* error);
    // Puts the temporary file in place of the output. A new file keeps what was at the output path
    // under ".conflicting"; an extended copy replaces its original.
    bool commit(QString* error);
    // "Could not write <output>: <reason>" after the engine failed to write (see OutputFile).
    QString writeError(int failedErrno, int impliedErrno) const;
    // Removes the temporary file and its journal.
    void discard();

    static QString journalOf(const QString& path) { return path + QStringLiteral("-journal"); }

private:
    bool copyExisting(QString* error);

    QString m_outputPath;
    std::unique_ptr<OutputFile> m_file;
    TemporaryFile m_journal;
    bool m_extends = false;
};
