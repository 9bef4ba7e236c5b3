#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>

// A piece of a line, pointing into the line's own bytes: splitting a line copies nothing.
struct ByteRange {
    const char* data = nullptr;
    int size = 0;

    bool isEmpty() const { return size == 0; }
    bool equals(const char* text) const {
        const size_t n = std::strlen(text);
        return size_t(size) == n && std::memcmp(data, text, n) == 0;
    }
    bool startsWith(const char* prefix) const {
        const size_t n = std::strlen(prefix);
        return size_t(size) >= n && std::memcmp(data, prefix, n) == 0;
    }
    // A copy of the bytes.
    QByteArray bytes() const { return QByteArray(data, size); }
    // The bytes without a copy, valid while the line is; for lookups.
    QByteArray view() const { return QByteArray::fromRawData(data, size); }
    QString text() const { return QString::fromUtf8(data, size); }
    // Without leading and trailing blanks (spaces and tabs).
    ByteRange trimmed() const;

    // Whole-range conversions: false unless every byte belongs to the number.
    bool toInt32(int32_t* value) const;
    // A whole number too large for toInt32.
    bool isBeyondInt32() const;
    bool toDouble(double* value) const;
    bool toFloat(float* value) const;
};

namespace LineSplit {

// Splits a line at each delimiter into at most maxCount ranges and returns how many pieces the
// line has in all (which may exceed maxCount).
int split(const char* line, int length, char delimiter, ByteRange* out, int maxCount);
// Splits at runs of blanks (spaces and tabs), ignoring blanks at either end; same return value.
int splitBlanks(const char* line, int length, ByteRange* out, int maxCount);

} // namespace LineSplit
