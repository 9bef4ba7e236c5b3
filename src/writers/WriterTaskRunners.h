#pragma once

class TaskRunnerRegistry;

// The writers of delimited text, xlsx, FASTA and variable-step wig as task kinds: each writes its
// first input source on the list's worker thread, reading it on the list's reader thread, and
// results in the written files. Registered at start-up.
namespace WriterTaskRunners {
void registerKinds(TaskRunnerRegistry& registry);
} // namespace WriterTaskRunners
