#include "meta/families/FieldMetaOptions.h"

VK_DEFINE_OPTIONS(FieldMetaOptions, VK_FIELD_META_OPTIONS)
