#pragma once

#include "meta/VkOptionsDeclare.h"

// A named group of fields written side by side by the tabular writers.
#define VK_TABULAR_WRITER_FIELD_GROUP(OPT)                                                                   \
    OPT(String, groupName, setGroupName, "", "Name of the group")                                            \
    OPT(String, color, setColor, "", "Colour of the group's header cells")                                   \
    OPT(IntList, groupFields, setGroupFields, {}, "Indexes of the fields of the group, in order")

VK_DECLARE_OPTIONS(TabularWriterFieldGroup, VkOptionsValue, 1, "A named group of fields of a tabular output",
                   VK_TABULAR_WRITER_FIELD_GROUP)
