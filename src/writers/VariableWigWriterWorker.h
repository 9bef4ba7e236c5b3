#pragma once

#include "tasks/TaskRecords.h"
#include "writers/WriterWorker.h"

// Writes one numeric field of a data-sequence source as variable-step wig: a section
// "variableStep chrom=<chromosome> span=<bases>" wherever the chromosome or the span changes, then a
// line "<1-based position> <value>" per feature. The span is the feature's length, or 1 for every
// value with singleBaseSpan. Features with a missing value are left out.
class VariableWigWriterWorker : public WriterWorker {
    Q_OBJECT
public:
    VariableWigWriterWorker(VkSourcePtr source, VariableWigWriterTask task, VkEventedThread* readerThread);

    // The field named by exportFieldSymbol, else the first numeric locus field; -1 with the reason
    // when there is none.
    static int exportField(const VkSourceInfo& info, const QString& symbol, QString* error);

protected:
    bool write(QString* error) override;

private:
    VariableWigWriterTask m_task;
};
