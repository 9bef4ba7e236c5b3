#include "meta/families/SourceMetaOptions.h"

VK_DEFINE_OPTIONS(SourceMetaOptions, VK_SOURCE_META_OPTIONS)
