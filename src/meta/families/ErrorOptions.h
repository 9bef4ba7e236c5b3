#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the error transform: the text every read of it reports.
#define VK_ERROR_OPTIONS(OPT)                                                                                \
    OPT(String, errorText, setErrorText, "", "The error the source reports")                                 \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(ErrorOptions, VkOptionsValue, 1, "A source that only reports an error.", VK_ERROR_OPTIONS)
