#pragma once

#include <cstdint>

namespace DelimitedText {

// Number parsing for cells: the whole text must be the number, in the C locale whatever the
// process locale is. Ints are decimal, optionally signed, and fit 32 bits.
bool parseInt(const char* data, int size, int32_t* value);
bool parseInt64(const char* data, int size, int64_t* value);
// Decimal or scientific notation; "inf", "nan" and hex forms are not numbers here.
bool parseDouble(const char* data, int size, double* value);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(const char* data, int size);

// What a value looks like, ordered so that the larger kind holds every smaller one.
enum class ValueKind : uint8_t { None = 0, Int = 1, Float = 2, Text = 3 };
ValueKind classify(const char* data, int size);

} // namespace DelimitedText
