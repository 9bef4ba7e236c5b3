#pragma once

#include "source/registry/VkSource.h"

// The source that standard input names: a path (or URL) on one line, or a JSON source description
// beginning with "{". Standard input is read only as far as either can reach, so a stray stream is
// refused without being held in memory, and errors quote at most the first 200 characters of it.
namespace StandardInputSource {

VkSourcePtr open();

} // namespace StandardInputSource
