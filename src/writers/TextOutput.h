#pragma once

#include "writers/PendingOutput.h"

#include <QByteArray>
#include <QFile>

// A text file written through a pending output. Writers append their lines straight to buffer();
// it goes to the file in large blocks, and the file takes its name only on commit().
class TextOutput {
public:
    explicit TextOutput(const QString& destination);

    const QString& destination() const { return m_pending.destination(); }
    bool open(QString* error);
    QByteArray& buffer() { return m_buffer; }
    // Writes the buffer out once it holds a block; false with the reason on a write error.
    bool flushIfFull(QString* error) { return m_buffer.size() < BlockSize || flush(error); }
    // Writes what is left, closes the file and moves it into place.
    bool commit(QString* error);

    static constexpr int BlockSize = 1 << 20;

private:
    bool flush(QString* error);

    PendingOutput m_pending;
    QFile m_file;
    QByteArray m_buffer;
};
