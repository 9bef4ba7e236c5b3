#pragma once

#include "tasks/TaskRecords.h"
#include "writers/WriterWorker.h"

// Writes a source to an xlsx workbook, one worksheet per worksheet record (a single default sheet
// when there is none). A sheet has the locus columns (chromosome, start, stop) and the columns of
// its field groups; when a group has a name, a header row above the column titles names each group
// across its columns, in the group's colour when it has one (a "#RRGGBB" text). The matrix field
// group gives one such group per sample, named after it. Then comes one row per feature: numbers
// as numbers, lists joined by the list delimiter, and values of fields with a link template as
// links. Rows are written in order and not kept in memory, so sources of any length up to a
// worksheet's row limit can be written.
class XlsxWriterWorker : public WriterWorker {
    Q_OBJECT
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;

    XlsxWriterWorker(VkSourcePtr source, XlsxWriterTask task, VkEventedThread* readerThread);

protected:
    bool write(QString* error) override;

private:
    XlsxWriterTask m_task;
};
