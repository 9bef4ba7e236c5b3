#pragma once

#include "output/OutputFile.h"

#include <QByteArray>

// A text file written through an OutputFile. Writers append their lines straight to buffer(); it
// goes to the file in large blocks, and the file takes its place only on commit().
class TextOutput {
public:
    explicit TextOutput(const QString& destination);

    const QString& destination() const { return m_file.destination(); }
    // Whether the output goes into a stream, leaving no file to open again.
    bool isStream() const { return m_file.isStream(); }
    // Refuses a destination that is one of the inputs.
    bool open(const QStringList& inputs, QString* error) { return m_file.open(inputs, error); }
    QByteArray& buffer() { return m_buffer; }
    // Writes the buffer out once it holds a block; false with the reason on a write error.
    bool flushIfFull(QString* error) { return m_buffer.size() < BlockSize || flush(error); }
    // Writes what is left and puts the file in place.
    bool commit(QString* error) { return flush(error) && m_file.commit(error); }

    static constexpr int BlockSize = 1 << 20;

private:
    bool flush(QString* error);

    OutputFile m_file;
    QByteArray m_buffer;
};
