#pragma once

#include "tasks/TaskRunnerRegistry.h"

// The runner of a DelimitedTextReaderTask: probes and opens the task's file on the list's reader
// thread with the layout the task carries (the format defaults of the file's name when it carries
// none), and results in that source. A file that fails to open is still the result; the list
// reports its error. Registered with the task runner registry at start-up.
TaskRunner* makeDelimitedTextReaderRunner(const SourceTaskOptions& task, const QList<VkSourcePtr>& inputs,
                                          TaskThreads& threads, QString* error);
