#include "meta/families/AllelicPrimitivesOptions.h"

VK_DEFINE_OPTIONS(AllelicPrimitivesOptions, VK_ALLELIC_PRIMITIVES_OPTIONS)
