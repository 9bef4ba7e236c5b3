#pragma once

#include "tasks/TaskRecords.h"
#include "writers/WriterWorker.h"

// Writes a source as delimited text: an optional header line (the header prefix, then the column
// titles: field symbols, or names where a field has none), then one line per feature with the
// chromosome, start and stop followed by the columns of the field groups. Start positions are
// 0-based unless the source options ask otherwise; list elements are joined by the sub-delimiter;
// missing values are written as the missing value text. The file is handed back as a delimited
// text source.
class DelimitedTextWriterWorker : public WriterWorker {
    Q_OBJECT
public:
    DelimitedTextWriterWorker(VkSourcePtr source, DelimitedTextWriterTask task,
                              VkEventedThread* readerThread);

protected:
    bool write(QString* error) override;
    // With the layout it was written in, whatever its name.
    VkSourcePtr openOutput(const QString& path) const override;

private:
    DelimitedTextWriterTask m_task;
};
