#pragma once

#include "formats/tsf/TsfBuffer.h"
#include "source/values/PVariant.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using TsfByteBuffer = TsfBuffer<uint8_t>;
using TsfOffsetBuffer = TsfBuffer<uint32_t>;

// One column of values of a single storage type, laid out the way chunks are encoded:
// - fixed-width scalars (Bool, Int, Int64, Float, Float64, Categorical, Character) packed in one
//   byte buffer, little-endian;
// - Strings as one byte pool plus size() + 1 offsets;
// - numeric arrays (Int, Float, Float64, Bool, Categorical Array) as one flat buffer of their
//   items plus size() + 1 item offsets;
// - String Arrays as one byte pool, the byte offsets of every string, and size() + 1 string
//   offsets per element.
// clear() keeps the capacity, so an array can be refilled chunk after chunk without allocating.
class TsfValueArray {
public:
    explicit TsfValueArray(ValueType type = ValueType::Invalid);

    // Whether a type can be held (and so encoded into a chunk).
    static bool isStorable(ValueType type);
    // Bytes per scalar or per array item; 0 for Strings and String Arrays, -1 when not storable.
    static int itemWidth(ValueType type);

    ValueType type() const { return m_type; }
    // Empties the array and gives it another type.
    void reset(ValueType type);
    void clear();
    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // Bytes held by the buffers, what a cache is charged for the array.
    qint64 memorySize() const;

    // Appending (writers). Each must match the array's type family: appendInt serves Int and
    // Categorical, appendBool takes 0, 1 or 2 (missing).
    void appendBool(uint8_t value) { appendScalar(value); }
    void appendInt(int32_t value) { appendScalar(value); }
    void appendInt64(int64_t value) { appendScalar(value); }
    void appendFloat(float value) { appendScalar(value); }
    void appendFloat64(double value) { appendScalar(value); }
    void appendChar(char value) { appendScalar(value); }
    void appendString(const char* data, int size);
    void appendString(const QByteArray& value) { appendString(value.constData(), value.size()); }
    // One element of a numeric array type; T is the item type (uint8_t for Bool Array).
    template <class T> void appendArray(const T* items, int count);
    void appendStringArray(const QVector<QByteArray>& strings);
    // Appends a value of the array's type: the scalar, text or vector itself, a Categorical's
    // code, a Categorical Array's codes. Missing or invalid values append the type's missing
    // value. False, with nothing appended, when the value has another type.
    bool append(const PVariant& value);
    void appendMissing();

    // Reading. Scalars of fixed width:
    template <class T> T scalarAt(int index) const {
        T value;
        std::memcpy(&value, m_bytes.data() + size_t(index) * sizeof(T), sizeof(T));
        return value;
    }
    // Strings:
    const char* stringData(int index) const {
        return reinterpret_cast<const char*>(m_bytes.data()) + m_offsets[index];
    }
    int stringSize(int index) const { return int(m_offsets[index + 1] - m_offsets[index]); }
    QByteArray stringAt(int index) const { return QByteArray(stringData(index), stringSize(index)); }
    // Arrays: item count of an element and a pointer to its first item.
    int arrayCount(int index) const { return int(m_offsets[index + 1] - m_offsets[index]); }
    const uint8_t* arrayItems(int index) const;
    // String Arrays: string k of element index.
    QByteArray arrayString(int index, int k) const;

    // The value at an index in the array's own type; Categorical values and arrays come back as
    // Int and Int Array codes.
    PVariant valueAt(int index) const;

    // Raw buffers for the chunk codec.
    TsfByteBuffer& bytes() { return m_bytes; }
    const TsfByteBuffer& bytes() const { return m_bytes; }
    TsfOffsetBuffer& offsets() { return m_offsets; }
    const TsfOffsetBuffer& offsets() const { return m_offsets; }
    TsfOffsetBuffer& stringOffsets() { return m_stringOffsets; }
    const TsfOffsetBuffer& stringOffsets() const { return m_stringOffsets; }
    // Sets the element count after the codec filled the buffers directly.
    void setSize(int size) { m_size = size; }

    bool operator==(const TsfValueArray& other) const;
    bool operator!=(const TsfValueArray& other) const { return !(*this == other); }

private:
    template <class T> void appendScalar(T value) {
        const size_t at = m_bytes.size();
        m_bytes.resize(at + sizeof(T));
        std::memcpy(m_bytes.data() + at, &value, sizeof(T));
        ++m_size;
    }
    void appendItems(const void* items, int count, int width);

    ValueType m_type;
    int m_size = 0;
    TsfByteBuffer m_bytes;
    TsfOffsetBuffer m_offsets;
    TsfOffsetBuffer m_stringOffsets;
};

using TsfValueArrayPtr = std::shared_ptr<const TsfValueArray>;

template <class T> void TsfValueArray::appendArray(const T* items, int count) {
    appendItems(items, count, int(sizeof(T)));
}
