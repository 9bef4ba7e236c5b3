#pragma once

#include "formats/tsf/TsfSparseArrayLayout.h"
#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

class TsfFieldReader;

// Reads full-coverage (sparse-array) sources. Each stored bin of `binSize` bases is one feature
// spanning the bin (up to the chromosome's length); each field's value is the vector of its
// per-base values over that span: a String for Character fields, a typed array for numbers and
// flags. Reads by id are refused.
namespace TsfCoverageCursor {

FeatureCursorPtr open(const VkSourcePtr& source, const ReadRequest& request, QString* error);

// The layout of a source from its "idx_sparse_array" row; false with "No idx_sparse_array index
// provided for full coverage source" when there is none.
bool loadLayout(TsfFieldReader& reader, TsfSparseArrayLayout* layout, QString* error);

} // namespace TsfCoverageCursor
