#pragma once

#include <QString>

// Where a TSF write goes and how the finished file takes its place. A file is written under a
// temporary name (the output path with ".write" appended) and renamed onto the output path only
// when the whole write succeeded, so a failed write never touches the output. An in-memory target
// (a name beginning with "[memory]") is written in place.
class TsfWriteTarget {
public:
    explicit TsfWriteTarget(QString outputPath);

    const QString& outputPath() const { return m_outputPath; }
    bool isMemory() const;
    // The database written: the temporary file, or the in-memory name.
    QString writePath() const;
    // Whether the write adds a source to the existing output rather than making a new file.
    bool extendsExisting() const { return m_extends; }

    // Clears leftovers of an earlier write (the temporary file and the journals of both paths).
    // To add to an existing output (newFile false), the temporary file starts as its copy.
    bool prepare(bool newFile, QString* error);
    // Moves the temporary file onto the output path. A new file keeps what was at the output path
    // under ".conflicting"; an extended copy replaces its original.
    bool commit(QString* error);
    // Removes the temporary file and its journal.
    void discard() const;

    static QString journalOf(const QString& path) { return path + QStringLiteral("-journal"); }

private:
    // Clears the output path for the finished file.
    bool setAsideOutput(QString* error) const;

    QString m_outputPath;
    bool m_extends = false;
};
