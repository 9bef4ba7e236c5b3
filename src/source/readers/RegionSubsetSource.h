#pragma once

#include "source/model/VkSegment.h"
#include "source/registry/VkSource.h"

#include <QList>

// A source made of the features of another source that overlap a list of regions, as written by
// `writetsf` with a query. It describes itself as its input does (its feature count is unknown)
// and reads the input by region, so an indexed input is read only where the regions are.
namespace RegionSubsetSource {

VkSourcePtr create(const VkSourcePtr& input, const QList<VkSegment>& regions);

} // namespace RegionSubsetSource
