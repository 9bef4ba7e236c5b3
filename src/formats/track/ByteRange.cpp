#include "formats/track/ByteRange.h"

#include <charconv>

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

template <class T> bool parseWhole(const ByteRange& range, T* value) {
    const char* begin = range.data;
    const char* end = range.data + range.size;
    // from_chars takes no leading "+", which number columns sometimes carry.
    if (begin != end && *begin == '+')
        ++begin;
    const std::from_chars_result result = std::from_chars(begin, end, *value);
    return begin != end && result.ec == std::errc() && result.ptr == end;
}
} // namespace

ByteRange ByteRange::trimmed() const {
    int begin = 0;
    int end = size;
    while (begin < end && isBlank(data[begin]))
        ++begin;
    while (end > begin && isBlank(data[end - 1]))
        --end;
    return {data + begin, end - begin};
}

bool ByteRange::toInt32(int32_t* value) const {
    return parseWhole(*this, value);
}

bool ByteRange::isBeyondInt32() const {
    const int first = size > 0 && data[0] == '+' ? 1 : 0;
    if (first == size)
        return false;
    for (int i = first; i < size; ++i)
        if (data[i] < '0' || data[i] > '9')
            return false;
    int32_t value = 0;
    return !toInt32(&value);
}

bool ByteRange::toDouble(double* value) const {
    return parseWhole(*this, value);
}

bool ByteRange::toFloat(float* value) const {
    return parseWhole(*this, value);
}

namespace LineSplit {

int split(const char* line, int length, char delimiter, ByteRange* out, int maxCount) {
    int count = 0;
    const char* end = line + length;
    const char* piece = line;
    while (true) {
        const char* next = static_cast<const char*>(std::memchr(piece, delimiter, size_t(end - piece)));
        const char* pieceEnd = next ? next : end;
        if (count < maxCount)
            out[count] = {piece, int(pieceEnd - piece)};
        ++count;
        if (!next)
            return count;
        piece = next + 1;
    }
}

int splitBlanks(const char* line, int length, ByteRange* out, int maxCount) {
    int count = 0;
    int i = 0;
    while (true) {
        while (i < length && isBlank(line[i]))
            ++i;
        if (i == length)
            return count;
        const int begin = i;
        while (i < length && !isBlank(line[i]))
            ++i;
        if (count < maxCount)
            out[count] = {line + begin, i - begin};
        ++count;
    }
}

} // namespace LineSplit
