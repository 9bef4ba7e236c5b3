// Feeds arbitrary bytes to the TSF chunk decoder: once as they are, then once as a chunk of each
// value type (that type's format string put into header bytes 3-5), so every unpacking path sees
// every input. A decoded array is read back, so an array whose offsets point outside its buffers
// shows up under the address sanitizer too.
#include "formats/tsf/TsfChunkCodec.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

const ValueType kTypes[] = {ValueType::Bool,         ValueType::Int,          ValueType::Int64,
                            ValueType::Float,        ValueType::Float64,      ValueType::Character,
                            ValueType::String,       ValueType::IntArray,     ValueType::FloatArray,
                            ValueType::Float64Array, ValueType::BoolArray,    ValueType::StringArray};

// Values read back: the first ones and the last, enough to reach every buffer.
constexpr int ReadBack = 256;

void readBack(const TsfValueArray& values) {
    const int size = values.size();
    for (int i = 0; i < std::min(size, ReadBack); ++i)
        values.valueAt(i);
    if (size > ReadBack)
        values.valueAt(size - 1);
}

void decode(const QByteArray& blob) {
    TsfValueArray values;
    QString error;
    if (TsfChunkCodec::decode(blob, &values, &error))
        readBack(values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > size_t(INT_MAX))
        return 0;
    QByteArray blob(reinterpret_cast<const char*>(data), int(size));
    decode(blob);
    if (blob.size() < TsfChunkHeader::Size)
        return 0;
    for (ValueType type : kTypes) {
        const QByteArray format = TsfChunkCodec::headerFormat(type);
        for (int i = 0; i < 3; ++i)
            blob[3 + i] = i < format.size() ? format.at(i) : '\0';
        decode(blob);
    }
    return 0;
}
