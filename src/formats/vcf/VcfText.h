#pragma once

#include "source/values/PVariant.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

// Reading values out of a VCF line in place. The line is NUL-terminated, so every scan stops at
// a delimiter or at the NUL without checking the length.
namespace VcfText {

// A set of characters that end a value; NUL always does.
class Stops {
public:
    constexpr explicit Stops(const char* characters) : m_table() {
        m_table[0] = true;
        for (const char* c = characters; *c; ++c)
            m_table[static_cast<unsigned char>(*c)] = true;
    }
    constexpr bool operator()(char c) const { return m_table[static_cast<unsigned char>(c)]; }

private:
    bool m_table[256];
};

// Ends of one sample sub-field, of one element of a sample's list, of one INFO entry and of one
// element of an INFO list.
constexpr Stops SampleValueEnd(":\t");
constexpr Stops SampleElementEnd(",:\t");
constexpr Stops InfoValueEnd(";\t");
constexpr Stops InfoElementEnd(",;\t");
// Ends of a whole column and of one element of the ID and FILTER lists.
constexpr Stops ColumnEnd("\t");
constexpr Stops SemicolonListEnd(";\t");

enum class Status { Ok, Missing, Invalid, OutOfRange };

inline const char* skipTo(const char* p, const Stops& stops) {
    while (!stops(*p))
        ++p;
    return p;
}

// "." alone, or nothing at all, is a missing value.
inline bool isMissing(const char* p, const Stops& stops) {
    return stops(*p) || (*p == '.' && stops(p[1]));
}

// Reads a decimal integer that ends at one of the stops; returns the end of the text read. The
// value is PVariant::MissingInt unless the status is Ok.
inline const char* readIntSlowly(const char* p, const Stops& stops, int32_t* value, Status* status) {
    *value = PVariant::MissingInt;
    if (isMissing(p, stops)) {
        *status = Status::Missing;
        return *p == '.' ? p + 1 : p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const char* digits = p;
    uint64_t number = 0;
    while (static_cast<unsigned>(*p - '0') < 10u) {
        if (p - digits < 11)
            number = number * 10 + static_cast<unsigned>(*p - '0');
        ++p;
    }
    if (p == digits || !stops(*p)) {
        *status = Status::Invalid;
        return skipTo(p, stops);
    }
    // The most negative int is the missing sentinel, so it is out of range as a value.
    if (p - digits > 10 || number > uint64_t(INT32_MAX)) {
        *status = Status::OutOfRange;
        return p;
    }
    *value = negative ? -int32_t(number) : int32_t(number);
    *status = Status::Ok;
    return p;
}

// The common case, a few digits and a stop, without the checks of the general one.
inline const char* readInt(const char* p, const Stops& stops, int32_t* value, Status* status) {
    const char* digit = *p == '-' ? p + 1 : p;
    unsigned next = static_cast<unsigned>(*digit - '0');
    if (next < 10u) {
        uint32_t number = 0;
        for (int count = 0; next < 10u && count < 9; next = static_cast<unsigned>(*++digit - '0'), ++count)
            number = number * 10 + next;
        if (next >= 10u && stops(*digit)) {
            *value = *p == '-' ? -int32_t(number) : int32_t(number);
            *status = Status::Ok;
            return digit;
        }
    }
    return readIntSlowly(p, stops, value, status);
}

// A number a float cannot hold: one closer to zero than the smallest normal float is read, as htslib
// reads it, as the nearest float (a subnormal or zero); one beyond the largest float is out of range.
inline Status readBeyondFloatRange(const char* begin, const char* end, float* value) {
    double number = 0;
    const std::from_chars_result result = std::from_chars(begin, end, number);
    if (result.ec != std::errc() || std::fabs(number) > double(std::numeric_limits<float>::max()))
        return Status::OutOfRange;
    *value = float(number);
    return Status::Ok;
}

// Reads a decimal or scientific number (also "nan" and "inf") that ends at one of the stops.
// The value is PVariant::MissingFloat unless the status is Ok.
inline const char* readFloat(const char* p, const Stops& stops, float* value, Status* status) {
    *value = PVariant::MissingFloat;
    const char* end = skipTo(p, stops);
    if (isMissing(p, stops)) {
        *status = Status::Missing;
        return end;
    }
    const char* begin = *p == '+' ? p + 1 : p;
    float number = 0;
    const std::from_chars_result result = std::from_chars(begin, end, number);
    if (result.ptr != end || (result.ec != std::errc() && result.ec != std::errc::result_out_of_range))
        *status = Status::Invalid;
    else if (result.ec == std::errc::result_out_of_range)
        *status = readBeyondFloatRange(begin, end, value);
    else {
        *value = number;
        *status = Status::Ok;
    }
    return end;
}

} // namespace VcfText
