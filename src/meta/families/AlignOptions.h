#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the left and right alignment transforms.
#define VK_ALIGN_OPTIONS(OPT)                                                                                \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source", .scrub())                                   \
    OPT(Int, windowSize, setWindowSize, 8, "Bases of reference taken on each side of a variant",             \
        .greaterOrEqual(1).lessOrEqual(1000))                                                                \
    OPT(String, refCoordSysId, setRefCoordSysId, "",                                                         \
        "Build of the reference sequence to align against; empty takes the source's own")                    \
    OPT(Bool, duplicateRecords, setDuplicateRecords, false, "Emit every record as read as well as aligned")  \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(AlignOptions, VkOptionsValue, 1, "Shift insertions and deletions along the reference.",
                   VK_ALIGN_OPTIONS)

#define VK_NO_FURTHER_OPTIONS(OPT)

VK_DECLARE_OPTIONS(LeftAlignOptions, AlignOptions, 1,
                   "Shift insertions and deletions to their leftmost equivalent position.",
                   VK_NO_FURTHER_OPTIONS)
VK_DECLARE_OPTIONS(RightAlignOptions, AlignOptions, 1,
                   "Shift insertions and deletions to their rightmost equivalent position.",
                   VK_NO_FURTHER_OPTIONS)
