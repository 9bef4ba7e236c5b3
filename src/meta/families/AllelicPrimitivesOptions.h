#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the allelic primitives transform.
#define VK_ALLELIC_PRIMITIVES_OPTIONS(OPT)                                                                   \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source", .scrub())                                   \
    OPT(Bool, useMNPs, setUseMNPs, false, "Keep runs of adjacent substitutions together as one MNP")         \
    OPT(Bool, keepInfo, setKeepInfo, true, "Copy the record-level fields to every primitive record")         \
    OPT(Bool, keepGeno, setKeepGeno, true, "Copy the sample fields to every primitive record")               \
    OPT(Int, maxLength, setMaxLength, 200, "Records with a longer reference or alternate pass unchanged")    \
    OPT(Bool, splitGenotypes, setSplitGenotypes, false,                                                      \
        "Copy genotypes unchanged instead of remapping them")                                                \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(AllelicPrimitivesOptions, VkOptionsValue, 1,
                   "Split complex variants into substitutions, insertions and deletions.",
                   VK_ALLELIC_PRIMITIVES_OPTIONS)
