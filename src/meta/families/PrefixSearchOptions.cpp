#include "meta/families/PrefixSearchOptions.h"

VK_DEFINE_OPTIONS(PrefixSearchOptions, VK_PREFIX_SEARCH_OPTIONS)
