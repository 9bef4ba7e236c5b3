#include "meta/families/ComputeFieldsOptions.h"

VK_DEFINE_OPTIONS(ComputedFieldOptions, VK_COMPUTED_FIELD_OPTIONS)
VK_DEFINE_OPTIONS(ComputeFieldsOptions, VK_COMPUTE_FIELDS_OPTIONS)
