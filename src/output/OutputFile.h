#pragma once

#include "output/OutputDestination.h"
#include "output/TemporaryFile.h"

#include <QString>
#include <QStringList>

// How every writer puts a file at its destination. A regular file is written under a temporary
// name beside the file it replaces (through symbolic links, which stay) and takes its place in one
// rename(2) on commit(), so the destination always holds either the old file or the whole new one;
// an uncommitted output removes its temporary file. A device, a FIFO or "/dev/stdout" is streamed
// into directly. A directory, or a destination that is one of the inputs, is refused before
// anything is written.
class OutputFile {
public:
    enum class Access {
        Sequential, // written front to back through descriptor() or write()
        ByPath      // a library opens writePath() itself and may seek; a stream gets a staged copy
    };

    explicit OutputFile(QString destination, Access access = Access::Sequential);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Keeps what the destination held under its name with ".conflicting" appended, replacing an
    // older copy of that name; set before commit().
    void keepConflicting() { m_keepConflicting = true; }

    // Checks the destination against the inputs and makes the file to write; false with the reason.
    bool open(const QStringList& inputs, QString* error);

    const QString& destination() const { return m_destination; }
    bool isStream() const { return m_target.kind == OutputDestination::Kind::Stream; }
    // The file that holds the output once committed; for a stream, the destination.
    const QString& targetPath() const { return m_target.path; }
    // Where a ByPath writer writes.
    const QString& writePath() const { return m_writePath; }
    // Where a Sequential writer writes; it stays owned by the output (dup it to hand it on).
    int descriptor() const { return m_fd; }

    // Writes all the bytes; false with the reason.
    bool write(const char* data, qint64 size, QString* error);
    // "Could not write <destination>: <reason>", the reason from the failed call's errno or, when a
    // library lost it (0), from a probe of the file, else the errno the library's error implies.
    QString writeError(int failedErrno, int impliedErrno = 0) const;

    // Puts the written file in place; false with the reason, the destination then unchanged.
    bool commit(QString* error);
    // Gives up: removes the temporary file. A stream keeps what it was sent.
    void discard();

private:
    bool openStream(QString* error);
    bool createTemporary(const QString& besidePath, QString* error);
    bool copyStagedToStream(QString* error);
    bool setOldFileAside(QString* error);
    bool closeDescriptor(QString* error);
    QString openError(const QString& path, int failedErrno) const;

    QString m_destination;
    Access m_access;
    OutputDestination m_target;
    TemporaryFile m_temporary;
    QString m_writePath;
    int m_fd = -1;
    bool m_keepConflicting = false;
};
