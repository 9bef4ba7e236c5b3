#include "meta/families/FilterByExprOptions.h"

VK_DEFINE_OPTIONS(FilterByExprOptions, VK_FILTER_BY_EXPR_OPTIONS)
