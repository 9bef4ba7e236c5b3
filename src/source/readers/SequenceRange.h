#pragma once

#include <QVector>
#include <QtGlobal>

// A span [begin, end) of one sequence of an indexed file, named by its sequence id.
struct SequenceRange {
    int tid;
    qint64 begin;
    qint64 end;
};

// Sorts ranges by sequence and start and merges those that overlap or touch, so that an index
// query over them meets each record once.
QVector<SequenceRange> mergeSequenceRanges(QVector<SequenceRange> ranges);
