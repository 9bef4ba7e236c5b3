#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Hands out the lines of a fuzz input the way the text line iterators do: without the "\n", and
// without the "\r" of a "\r\n". Each line is copied into a buffer of its own size, so a read past
// its end is caught by AddressSanitizer rather than landing in the next line.
class FuzzLines {
public:
    FuzzLines(const uint8_t* data, size_t size)
        : m_begin(reinterpret_cast<const char*>(data)), m_next(m_begin), m_end(m_begin + size) {}
    ~FuzzLines() { delete[] m_line; }
    FuzzLines(const FuzzLines&) = delete;
    FuzzLines& operator=(const FuzzLines&) = delete;

    // The next line, or null at the end of the input.
    const char* next(int* length) {
        if (m_next >= m_end)
            return nullptr;
        const auto* newline = static_cast<const char*>(std::memchr(m_next, '\n', size_t(m_end - m_next)));
        const char* lineEnd = newline ? newline : m_end;
        int size = int(lineEnd - m_next);
        if (size > 0 && m_next[size - 1] == '\r')
            --size;
        delete[] m_line;
        m_line = new char[size_t(size) + 1];
        std::memcpy(m_line, m_next, size_t(size));
        m_line[size] = '\0';
        m_start = m_next - m_begin;
        m_next = newline ? newline + 1 : m_end;
        *length = size;
        return m_line;
    }

    // The offset of the last line handed out, as the iterators report a line's position.
    int64_t position() const { return m_start; }

private:
    const char* m_begin;
    const char* m_next;
    const char* m_end;
    char* m_line = nullptr;
    int64_t m_start = 0;
};
