#pragma once

#include <QString>

class TaskRunnerRegistry;

// The runners of the TSF task kinds: TsfWriterTask writes its input to a file (or an in-memory
// TSF), TsfRewriterTask rewrites a TSF file in genomic order in place, TsfInMemRewriterTask
// copies its input into a new in-memory TSF and RemoveInMemTsfTask frees an in-memory TSF.
// They register themselves at start-up; registerKinds() puts them in place again.
namespace TsfWriterTaskRunner {

void registerKinds(TaskRunnerRegistry& registry);

// The name given to a new in-memory TSF.
QString newMemoryName();

} // namespace TsfWriterTaskRunner
