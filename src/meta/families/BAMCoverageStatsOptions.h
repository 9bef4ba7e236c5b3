#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the coverage statistics of BAM files over the features of a source.
#define VK_BAM_COVERAGE_STATS_OPTIONS(OPT)                                                                   \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source: the features to measure", .scrub())          \
    OPT(StringList, bamFiles, setBamFiles, {}, "The indexed BAM files the coverage is read from", .scrub())  \
    OPT(Int, targetDepth, setTargetDepth, -1,                                                                \
        "Bases covered at least this often are counted in a field of their own; below 1, no such field",     \
        .greaterOrEqual(-1))                                                                                 \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(BAMCoverageStatsOptions, VkOptionsValue, 1,
                   "Add the read depth statistics of BAM files over each feature.",
                   VK_BAM_COVERAGE_STATS_OPTIONS)
