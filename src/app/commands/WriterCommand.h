#pragma once

#include "source/VkField.h"

#include <QVector>

#include <functional>

class VkEventedThread;
class WriterWorker;

// What the write commands share.
namespace WriterCommand {

// Runs one writer on a "Writer Thread" that reads its source on a "Reader Thread", with the
// progress and the outcome on standard error, until it ends. Returns the exit status: 1 when the
// writer reported an error.
int run(const std::function<WriterWorker*(VkEventedThread* readerThread)>& makeWorker);

// Every locus and sample field of a schema, in order: what a tabular output writes by default.
QVector<int> tabularFields(const VkFieldList& schema);

// Checks a selection for a tabular output: each index inside the schema, each field a locus or a
// sample field. Prints the first problem and returns 1; returns 0 when all can be written.
int checkTabularFields(const VkFieldList& schema, const QVector<int>& fields);

} // namespace WriterCommand
