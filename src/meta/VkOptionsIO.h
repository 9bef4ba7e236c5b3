#pragma once

#include "meta/VkOptionsValue.h"
#include "source/values/PVariant.h"

// Option records as PVariant trees (the form that is printed as JSON).
namespace VkOptionsIO {

// The record's option-record map; an invalid PVariant for a null handle.
PVariant write(const VkOptionsValue& record);

// Reads an option-record map: the family is found by "className"; options absent from "fields"
// or whose value does not convert keep their defaults, and unknown keys are ignored. Fails (null
// record, message in error) for a value that is not a map, an unknown class name, "fields" that
// is not a map, or a failed upgrade of an older class version.
VkOptionsValue read(const PVariant& value, QString* error = nullptr);

} // namespace VkOptionsIO
