#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the expression filter. Either expression may be empty; a sample filter index of -1
// evaluates the sample expression for every sample.
#define VK_FILTER_BY_EXPR_OPTIONS(OPT)                                                                       \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source", .scrub())                                   \
    OPT(String, expr, setExpr, "", "The locus expression; empty for none")                                   \
    OPT(Bool, filterOnSegmentOptimization, setFilterOnSegmentOptimization, false,                            \
        "Evaluate an expression of Chr, Start and Stop once per segment")                                    \
    OPT(Bool, cacheResults, setCacheResults, false, "Remember each feature's result")                        \
    OPT(String, sampleExpr, setSampleExpr, "", "The per-sample expression; empty for none")                  \
    OPT(Int, sampleExprSampleIdx, setSampleExprSampleIdx, -1,                                                \
        "The only sample the sample expression is evaluated for; -1 for every sample")                       \
    OPT(Bool, andSampleResults, setAndSampleResults, false,                                                  \
        "Require every sample to pass instead of any sample")                                                \
    OPT(Bool, andLocusResults, setAndLocusResults, false,                                                    \
        "Require the locus and the sample expressions to pass instead of either")                            \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(FilterByExprOptions, VkOptionsValue, 1,
                   "Filter features by a muParserX expression's returned boolean value",
                   VK_FILTER_BY_EXPR_OPTIONS)
