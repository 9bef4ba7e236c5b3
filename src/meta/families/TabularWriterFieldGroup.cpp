#include "meta/families/TabularWriterFieldGroup.h"

VK_DEFINE_OPTIONS(TabularWriterFieldGroup, VK_TABULAR_WRITER_FIELD_GROUP)
