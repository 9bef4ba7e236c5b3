#pragma once

#include "meta/VkOptionsDeclare.h"

// One computed field: its symbol, name and type, and the expression whose value it holds, per
// record or per sample. The type is a type name ("Float", "Int Array" ...) or its short text ("f4").
#define VK_COMPUTED_FIELD_OPTIONS(OPT)                                                                       \
    OPT(String, symbol, setSymbol, "", "Symbol of the new field")                                            \
    OPT(String, name, setName, "", "Display name of the new field; the symbol when empty")                   \
    OPT(String, type, setType, "Float", "Value type of the new field")                                       \
    OPT(String, expression, setExpression, "", "The expression whose value the field holds")                 \
    OPT(Bool, perSample, setPerSample, false, "A value per sample instead of one per record")

VK_DECLARE_OPTIONS(ComputedFieldOptions, VkOptionsValue, 1, "A field computed from an expression.",
                   VK_COMPUTED_FIELD_OPTIONS)

#define VK_COMPUTE_FIELDS_OPTIONS(OPT)                                                                       \
    OPT(String, sourceUrl, setSourceUrl, "", "The input source", .scrub())                                   \
    OPT(OptionsList, computedFields, setComputedFields, ComputedFieldOptions, "The fields to add, in order") \
    OPT(Int, insertFieldAtIdx, setInsertFieldAtIdx, -1, "Position of the first new field; -1 appends them")  \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(ComputeFieldsOptions, VkOptionsValue, 1, "Add fields computed from expressions.",
                   VK_COMPUTE_FIELDS_OPTIONS)
