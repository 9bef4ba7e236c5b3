#include "meta/families/AltRatioOptions.h"

VK_DEFINE_OPTIONS(AltRatioOptions, VK_ALT_RATIO_OPTIONS)
