#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// Told how far a precomputation has got (done of total); answers false when the work is to stop.
using PrecomputeProgress = std::function<bool(qint64 done, qint64 total)>;
// One precomputation of a source (an index, coverage data) run on a worker thread: true when its
// files are in place, else false with the reason. It must leave no half-written file behind.
using PrecomputeJob = std::function<bool(const PrecomputeProgress& progress, QString* error)>;
