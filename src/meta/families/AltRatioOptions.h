#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the alt ratio transform. A field index of -1 means the field is found by its symbol.
#define VK_ALT_RATIO_OPTIONS(OPT)                                                                            \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source", .scrub())                                   \
    OPT(Int, insertFieldAtIdx, setInsertFieldAtIdx, -1, "Position of the new field; -1 appends it")          \
    OPT(Int, observedFieldIdx, setObservedFieldIdx, -1, "Field index of the alternate observation count")    \
    OPT(Int, depthFieldIdx, setDepthFieldIdx, -1, "Field index of the total depth")                          \
    OPT(Int, referenceObservationIdx, setReferenceObservationIdx, -1,                                        \
        "Field index of the reference observation count")                                                    \
    OPT(Int, allelicDepthIdx, setAllelicDepthIdx, -1, "Field index of the allelic depths")                   \
    OPT(Int, dp4Idx, setDp4Idx, -1, "Field index of the four strand counts")                                 \
    OPT(String, altRatioFieldSymbol, setAltRatioFieldSymbol, "VAF", "Symbol of the new field")               \
    OPT(String, altRatioFieldName, setAltRatioFieldName, "Variant Allele Freq",                              \
        "Display name of the new field")                                                                     \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(AltRatioOptions, VkOptionsValue, 1,
                   "Append and alt ratio field if one does not already exist.", VK_ALT_RATIO_OPTIONS)
