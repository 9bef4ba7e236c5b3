#pragma once

#include "meta/VkOptionsDeclare.h"

// What a user may change about a field of a source.
#define VK_FIELD_META_OPTIONS(OPT)                                                                           \
    OPT(String, name, setName, "", "Display name of the field")                                              \
    OPT(String, doc, setDoc, "", "Documentation of the field")                                               \
    OPT(String, urlTemplate, setUrlTemplate, "", "Link pattern in which $$ stands for the value")            \
    OPT(Bool, isHtml, setIsHtml, false, "The documentation is HTML")                                         \
    OPT(StringList, enumNames, setEnumNames, {}, "Names of the categories of a Categorical field")           \
    OPT(StringList, enumDocs, setEnumDocs, {}, "Documentation of each category")

VK_DECLARE_OPTIONS(FieldMetaOptions, VkOptionsValue, 1, "Properties of a VkField that can be set by the user",
                   VK_FIELD_META_OPTIONS)
