#include "formats/dsv/DelimitedTextValues.h"

#include <charconv>
#include <cstring>

namespace DelimitedText {

namespace {
// from_chars takes no leading "+", which spreadsheets do write.
const char* skipPlus(const char* data, int size) {
    return size > 1 && data[0] == '+' && data[1] != '-' ? data + 1 : data;
}

template <class T> bool parseWhole(const char* data, int size, T* value) {
    const char* end = data + size;
    const char* begin = skipPlus(data, size);
    const auto result = std::from_chars(begin, end, *value);
    return result.ec == std::errc() && result.ptr == end && begin < end;
}
} // namespace

bool parseInt(const char* data, int size, int32_t* value) {
    return parseWhole(data, size, value);
}

bool parseInt64(const char* data, int size, int64_t* value) {
    return parseWhole(data, size, value);
}

bool parseDouble(const char* data, int size, double* value) {
    // Refuse the words from_chars accepts ("inf", "nan"): a number has a digit before any letter.
    for (int i = 0; i < size; ++i) {
        const char c = data[i];
        if (c >= '0' && c <= '9')
            break;
        if (c != '+' && c != '-' && c != '.')
            return false;
    }
    const char* end = data + size;
    const char* begin = skipPlus(data, size);
    const auto result = std::from_chars(begin, end, *value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end && begin < end;
}

bool isValidUtf8(const char* data, int size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, code = c & 0x1F, least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, code = c & 0x0F, least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, code = c & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

ValueKind classify(const char* data, int size) {
    if (size == 0)
        return ValueKind::None;
    int32_t whole = 0;
    if (parseInt(data, size, &whole))
        return ValueKind::Int;
    double real = 0;
    return parseDouble(data, size, &real) ? ValueKind::Float : ValueKind::Text;
}

} // namespace DelimitedText
