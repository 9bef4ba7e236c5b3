#include "meta/families/AlignOptions.h"

VK_DEFINE_OPTIONS(AlignOptions, VK_ALIGN_OPTIONS)
VK_DEFINE_OPTIONS(LeftAlignOptions, VK_NO_FURTHER_OPTIONS)
VK_DEFINE_OPTIONS(RightAlignOptions, VK_NO_FURTHER_OPTIONS)
