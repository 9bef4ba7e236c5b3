#pragma once

#include "source/model/VkField.h"
#include "source/registry/VkSource.h"

#include <QString>
#include <QVector>

#include <functional>

class VCFWriterTask;
class VkEventedThread;
class WriterWorker;

// What the write commands share.
namespace WriterCommand {

// Runs one writer on a "Writer Thread" that reads its source on a "Reader Thread", with the
// progress and the outcome on standard error, until it ends. Returns the exit status: 1 when the
// writer reported an error.
int run(const std::function<WriterWorker*(VkEventedThread* readerThread)>& makeWorker);
// The same for the VCF writer task, its warnings printed after it ends.
int runVcfWriter(const VkSourcePtr& source, const VCFWriterTask& task);

// Settles the fields a tabular output writes: an empty selection becomes every locus and sample
// field of the schema, in order. Then checks each index is inside the schema and names a locus or
// a sample field: prints the first problem and returns 1; returns 0 when all can be written.
int selectTabularFields(const VkFieldList& schema, QVector<int>& fields);

// Prints "Writing to: <destination>" on standard output, or on standard error when the output
// itself goes to standard output.
void announceDestination(const QString& destination);

// The source itself without a query, else only its records in the query's regions
// ("chr1:100-200,chr2"); null, after printing "Failed to parse query: <reason>", when the query
// does not parse.
VkSourcePtr queried(const VkSourcePtr& source, const QString& query);

// The name an output takes after its source: a file's complete base name ("calls.vcf" for
// "calls.vcf.gz"), or the name of a source made from others ("calls.vcf.altRatio").
QString baseName(const VkSource& source);
// The output written when none is named: beside the source (a transform's first input), its base
// name with suffix.
QString outputBesideSource(const VkSource& source, const QString& suffix);

} // namespace WriterCommand
