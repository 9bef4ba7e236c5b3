#include "meta/families/ErrorOptions.h"

VK_DEFINE_OPTIONS(ErrorOptions, VK_ERROR_OPTIONS)
