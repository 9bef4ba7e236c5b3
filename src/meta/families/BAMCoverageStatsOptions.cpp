#include "meta/families/BAMCoverageStatsOptions.h"

VK_DEFINE_OPTIONS(BAMCoverageStatsOptions, VK_BAM_COVERAGE_STATS_OPTIONS)
