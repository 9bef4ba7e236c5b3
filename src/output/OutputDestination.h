#pragma once

#include <QString>
#include <QStringList>

// What a destination path names, and so how an output reaches it.
struct OutputDestination {
    enum class Kind {
        File,  // a regular file, new or replaced
        Stream // written into as it is: a device, a FIFO, a socket or an open descriptor
    };

    Kind kind = Kind::File;
    // A file: the destination through its symbolic links, so the file they lead to is replaced
    // and the links stay. A stream: the destination as given.
    QString path;
    // For "/dev/stdout", "/dev/stderr", "/dev/fd/N" and "/proc/self/fd/N": the process's own
    // descriptor, written at its current position like a shell redirection; -1 otherwise.
    int descriptor = -1;

    // Classifies a destination. Refuses an empty one and a directory.
    static bool resolve(const QString& destination, OutputDestination* resolved, QString* error);
    // Refuses a destination that is one of the files being read (the same file, however named).
    static bool checkNotAnInput(const QString& destination, const QStringList& inputs, QString* error);
    // Whether the destination is written as a stream, which leaves no file to open again.
    static bool isStream(const QString& destination);
    // Whether writing the destination writes this process's standard output.
    static bool isStandardOutput(const QString& destination);
};
