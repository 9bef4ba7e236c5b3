#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the prefix search transform: the records of a TSF source whose indexed field starts
// with a text, in any case.
#define VK_PREFIX_SEARCH_OPTIONS(OPT)                                                                        \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source, a TSF source with a field index", .scrub())  \
    OPT(String, prefix, setPrefix, "", "The text the values start with, in any case")                        \
    OPT(String, fieldSymbol, setFieldSymbol, "", "Symbol of the indexed field searched; empty for all")      \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(PrefixSearchOptions, VkOptionsValue, 1,
                   "The records whose indexed field starts with a prefix, in any case.",
                   VK_PREFIX_SEARCH_OPTIONS)
