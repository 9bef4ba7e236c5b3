#pragma once

class TaskRunnerRegistry;

// Registers the runners of ReaderTask, RemoveFileTask and AggregateOutputTask.
void registerBuiltinTaskRunners(TaskRunnerRegistry& registry);
