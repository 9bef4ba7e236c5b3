#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

#include <vector>

class TsfFieldReader;

// Reads the records of a TSF source: in order from an offset, by record ids, by region through
// the genomic index (overlap, and exact matches through the query's own bin; within is an overlap
// read filtered), and by prefix through a field index. A region read reseeks on the connection it
// holds open.
namespace TsfRecordCursor {

FeatureCursorPtr open(const VkSourcePtr& source, const ReadRequest& request, QString* error);

// Record indexes whose segments overlap any region (or, with exact, equal it), ascending.
bool regionRecords(TsfFieldReader& reader, const QList<VkSegment>& regions, bool exact,
                   std::vector<qint64>* records, QString* error);

} // namespace TsfRecordCursor
