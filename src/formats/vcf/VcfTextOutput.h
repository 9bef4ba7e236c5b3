#pragma once

#include "output/OutputFile.h"

#include <QByteArray>
#include <QString>

struct BGZF;

// The file a VCF writer writes: plain text, or BGZF with its tabix index beside it when the name ends
// with ".gz". It goes through an OutputFile: written beside the destination and put in place by
// commit(), or streamed into a device or FIFO; an uncommitted output leaves nothing behind.
class VcfTextOutput {
public:
    explicit VcfTextOutput(QString path);
    ~VcfTextOutput();
    VcfTextOutput(const VcfTextOutput&) = delete;
    VcfTextOutput& operator=(const VcfTextOutput&) = delete;

    // Refuses a destination that is one of the inputs; false with the reason.
    bool open(const QStringList& inputs, QString* error);
    bool isStream() const { return m_output.isStream(); }
    // False with the reason.
    bool write(const QByteArray& bytes, QString* error);
    // Finishes the file and puts it in place.
    bool commit(QString* error);

private:
    bool isCompressed() const;
    bool buildIndex(OutputFile& index);

    OutputFile m_output;
    BGZF* m_file = nullptr;
};
