#include "formats/tsf/TsfChunkCodec.h"

#include <blosc.h>
#include <lz4.h>
#include <lz4hc.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>

namespace {

constexpr int SizePrefix = 4; // big-endian uncompressed size in front of non-Blosc streams
constexpr int ZstdLevel = 1;
constexpr int BloscLevel = 9;
// Compact chunks: Blosc level 3 runs Zstandard at level 5 behind byte shuffling (measured on the
// per-sample columns of a 100-sample VCF: about half the size of LZ4 HC, and faster to write).
constexpr int BloscZstdLevel = 3;
constexpr int Lz4Level = 4;
// A body-less header may not make the decoder allocate without bound. Writers only leave out
// the body of an empty array; a truncated blob gets the default values of a chunk of at most
// the largest sparse-array bin.
constexpr uint32_t MaxBodylessCount = 1u << 20;
// Decoded arrays are indexed with 32-bit offsets and ints.
constexpr size_t MaxRawSize = size_t(INT32_MAX);

// Per-thread scratch and compressor state: reused by every chunk encoded or decoded on a thread.
struct ThreadState {
    TsfByteBuffer scratch;
    std::vector<char> lz4State;
    ZSTD_CCtx* zstdC = nullptr;
    ZSTD_DCtx* zstdD = nullptr;
    z_stream deflater{};
    z_stream inflater{};
    bool deflaterReady = false;
    bool inflaterReady = false;

    ~ThreadState() {
        ZSTD_freeCCtx(zstdC);
        ZSTD_freeDCtx(zstdD);
        if (deflaterReady)
            deflateEnd(&deflater);
        if (inflaterReady)
            inflateEnd(&inflater);
    }
};

ThreadState& threadState() {
    thread_local ThreadState state;
    return state;
}

void putLe16(char* out, uint16_t value) {
    out[0] = char(value & 0xFF);
    out[1] = char(value >> 8);
}

void putLe32(char* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
}

void putBe32(char* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * (3 - i))) & 0xFF);
}

uint32_t getLe(const uint8_t* in, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t(in[i]) << (8 * i);
    return value;
}

// memcpy that accepts the null data pointer of an empty buffer when there is nothing to copy.
void copyBytes(void* to, const void* from, size_t size) {
    if (size > 0)
        std::memcpy(to, from, size);
}

uint32_t getBe32(const uint8_t* in) {
    return (uint32_t(in[0]) << 24) | (uint32_t(in[1]) << 16) | (uint32_t(in[2]) << 8) | uint32_t(in[3]);
}

// Name of a fixed-width type in the size-mismatch message.
const char* sizeCheckName(ValueType type) {
    switch (type) {
    case ValueType::Int64:
        return "Int64";
    case ValueType::Float:
        return "Float";
    case ValueType::Float64:
        return "Double";
    case ValueType::Bool:
        return "Bool";
    case ValueType::Character:
        return "Byte";
    default:
        return "Int";
    }
}

// Width of the element count in the zlib and Blosc array layouts.
int countSlot(ValueType arrayType) {
    return arrayType == ValueType::Float64Array || arrayType == ValueType::BoolArray ? 2 : 4;
}

bool isNumericArray(ValueType type) {
    return ValueTypes::isVector(type) && type != ValueType::StringArray && TsfValueArray::isStorable(type);
}

bool tooLongElement(int index, uint32_t count, QString* error) {
    *error = QStringLiteral("Array element %1 has %2 values, more than the %3 a chunk of this compression "
                            "method can hold")
                 .arg(index)
                 .arg(count)
                 .arg(TsfChunkCodec::MaxShortArrayCount);
    return false;
}

bool malformed(ValueType type, uint32_t count, QString* error) {
    *error = QStringLiteral("Compressed array of %1 does not hold the %2 elements its header specifies")
                 .arg(ValueTypes::name(type))
                 .arg(count);
    return false;
}

// The uncompressed body of a chunk: either the array's own bytes or the thread's scratch.
struct Body {
    const char* data = nullptr;
    size_t size = 0;
    int typeSize = 1;
    uint16_t width = 0;
};

bool stringBody(const TsfValueArray& values, int start, int count, TsfCompression* method, Body* body) {
    int longest = 0;
    for (int i = start; i < start + count; ++i)
        longest = std::max(longest, values.stringSize(i));
    TsfByteBuffer& scratch = threadState().scratch;
    if (*method == TsfCompression::Blosc && longest <= TsfChunkCodec::MaxFixedSlotString) {
        const size_t width = size_t(longest) + 1;
        scratch.assign(width * size_t(count), 0);
        for (int i = 0; i < count; ++i)
            copyBytes(scratch.data() + width * size_t(i), values.stringData(start + i),
                      size_t(values.stringSize(start + i)));
        body->width = uint16_t(width);
        body->typeSize = int(width);
    } else {
        *method = TsfCompression::Zlib;
        const size_t bytes = values.offsets()[size_t(start + count)] - values.offsets()[size_t(start)];
        scratch.resize(bytes + size_t(count));
        uint8_t* out = scratch.data();
        for (int i = start; i < start + count; ++i) {
            const size_t size = size_t(values.stringSize(i));
            copyBytes(out, values.stringData(i), size);
            out[size] = 0;
            out += size + 1;
        }
        body->width = 0;
        body->typeSize = 1;
    }
    body->data = reinterpret_cast<const char*>(scratch.data());
    body->size = scratch.size();
    return true;
}

bool numericArrayBody(const TsfValueArray& values, int start, int count, TsfCompression method, Body* body,
                      QString* error) {
    const ValueType type = values.type();
    const size_t width = size_t(TsfValueArray::itemWidth(type));
    const TsfOffsetBuffer& offsets = values.offsets();
    const size_t items = offsets[size_t(start + count)] - offsets[size_t(start)];
    TsfByteBuffer& scratch = threadState().scratch;
    body->width = uint16_t(width);
    if (method == TsfCompression::Zstd || method == TsfCompression::Lz4) {
        scratch.resize(4 * size_t(count) + items * width);
        for (int i = 0; i < count; ++i)
            putLe32(reinterpret_cast<char*>(scratch.data()) + 4 * i, uint32_t(values.arrayCount(start + i)));
        if (items > 0)
            std::memcpy(scratch.data() + 4 * size_t(count), values.arrayItems(start), items * width);
        body->typeSize = 1;
    } else {
        const size_t slot = size_t(countSlot(type));
        scratch.resize(slot * size_t(count) + items * width);
        uint8_t* out = scratch.data();
        for (int i = 0; i < count; ++i) {
            const uint32_t n = uint32_t(values.arrayCount(start + i));
            if (n > uint32_t(TsfChunkCodec::MaxShortArrayCount))
                return tooLongElement(i, n, error);
            std::memset(out, 0, slot);
            putLe16(reinterpret_cast<char*>(out), uint16_t(n));
            if (n > 0)
                std::memcpy(out + slot, values.arrayItems(start + i), n * width);
            out += slot + n * width;
        }
        body->typeSize = width == 4 ? 4 : 1;
    }
    body->data = reinterpret_cast<const char*>(scratch.data());
    body->size = scratch.size();
    return true;
}

bool stringArrayBody(const TsfValueArray& values, int start, int count, Body* body, QString* error) {
    const TsfOffsetBuffer& offsets = values.offsets();
    const TsfOffsetBuffer& stringOffsets = values.stringOffsets();
    const uint32_t firstString = offsets[size_t(start)];
    const uint32_t endString = offsets[size_t(start + count)];
    const size_t bytes = stringOffsets[endString] - stringOffsets[firstString];
    TsfByteBuffer& scratch = threadState().scratch;
    scratch.resize(2 * size_t(count) + bytes + (endString - firstString));
    uint8_t* out = scratch.data();
    for (int i = 0; i < count; ++i) {
        const uint32_t n = uint32_t(values.arrayCount(start + i));
        if (n > uint32_t(TsfChunkCodec::MaxShortArrayCount))
            return tooLongElement(i, n, error);
        putLe16(reinterpret_cast<char*>(out), uint16_t(n));
        out += 2;
        for (uint32_t k = offsets[size_t(start + i)]; k < offsets[size_t(start + i) + 1]; ++k) {
            const size_t size = stringOffsets[k + 1] - stringOffsets[k];
            copyBytes(out, values.bytes().data() + stringOffsets[k], size);
            out[size] = 0;
            out += size + 1;
        }
    }
    body->data = reinterpret_cast<const char*>(scratch.data());
    body->size = scratch.size();
    body->width = 0;
    body->typeSize = 1;
    return true;
}

bool buildBody(const TsfValueArray& values, int start, int count, TsfCompression* method, Body* body,
               QString* error) {
    const ValueType type = values.type();
    if (type == ValueType::String)
        return stringBody(values, start, count, method, body);
    if (type == ValueType::StringArray)
        return stringArrayBody(values, start, count, body, error);
    if (isNumericArray(type))
        return numericArrayBody(values, start, count, *method, body, error);
    const int width = TsfValueArray::itemWidth(type);
    body->data = reinterpret_cast<const char*>(values.bytes().data()) + size_t(start) * size_t(width);
    body->size = size_t(count) * size_t(width);
    body->width = uint16_t(width);
    body->typeSize = width;
    return true;
}

bool uncompress(TsfCompression method, const char* blob, int size, uint8_t* out, size_t outSize,
                QString* error) {
    switch (method) {
    case TsfCompression::Zstd:
        return TsfChunkCodec::zstdUncompress(blob + 20, size_t(size - 20), out, outSize, error);
    case TsfCompression::Zlib:
        return TsfChunkCodec::zlibUncompress(blob + 20, size_t(size - 20), out, outSize, error);
    case TsfCompression::Lz4:
        return TsfChunkCodec::lz4Uncompress(blob + 20, size_t(size - 20), out, outSize, error);
    case TsfCompression::Blosc:
    case TsfCompression::BloscZstd:
        break;
    }
    return TsfChunkCodec::bloscUncompress(blob + 16, size_t(size - 16), out, outSize, error);
}

// The most one compressed byte can stand for under a method: zstd's smallest block (a 3-byte
// header and one byte) repeats to 128 KiB, deflate reaches 1032:1 and LZ4 255:1. A Blosc buffer
// may hold any codec inside, so it gets the largest.
size_t maxExpansion(TsfCompression method) {
    switch (method) {
    case TsfCompression::Zlib:
        return 1032;
    case TsfCompression::Lz4:
        return 256;
    case TsfCompression::Zstd:
    case TsfCompression::Blosc:
    case TsfCompression::BloscZstd:
        break;
    }
    return ZSTD_BLOCKSIZE_MAX / 4;
}

// Whether a body of bodySize compressed bytes can decompress to rawSize bytes; checked before
// the output is allocated, so a header cannot make the decoder reserve more than the blob can fill.
bool plausibleRawSize(TsfCompression method, size_t bodySize, size_t rawSize, QString* error) {
    constexpr size_t Slack = 64; // stream headers and trailers
    if (rawSize <= std::min(MaxRawSize, bodySize * maxExpansion(method) + Slack))
        return true;
    *error = QStringLiteral("Chunk claims %1 uncompressed bytes, more than its %2 compressed bytes can hold")
                 .arg(rawSize)
                 .arg(bodySize);
    return false;
}

// Fills an array whose chunk carries no body with count default values.
void fillDefaults(TsfValueArray* out, uint32_t count) {
    const ValueType type = out->type();
    const int width = TsfValueArray::itemWidth(type);
    if (width > 0 && !ValueTypes::isVector(type)) {
        out->bytes().assign(size_t(count) * size_t(width), 0);
    } else {
        out->offsets().assign(size_t(count) + 1, 0);
        if (type == ValueType::StringArray)
            out->stringOffsets().assign(1, 0);
    }
    out->setSize(int(count));
}

bool unpackFixedStrings(const uint8_t* in, size_t size, uint32_t count, uint16_t width, TsfValueArray* out,
                        QString* error) {
    if (width == 0 || size / width != count) {
        *error = QStringLiteral("Compressed array of String has %1 vs header specified %2 for strings with "
                                "length %3")
                     .arg(width ? size / width : 0)
                     .arg(count)
                     .arg(width);
        return false;
    }
    out->bytes().reserve(size);
    out->offsets().reserve(size_t(count) + 1);
    for (uint32_t i = 0; i < count; ++i) {
        const char* slot = reinterpret_cast<const char*>(in) + size_t(i) * width;
        const void* end = std::memchr(slot, 0, width);
        out->appendString(slot, end ? int(static_cast<const char*>(end) - slot) : int(width));
    }
    return true;
}

bool stringCountError(uint32_t found, uint32_t count, QString* error) {
    *error = QStringLiteral("Compressed array of String has %1 vs header specified %2").arg(found).arg(count);
    return false;
}

bool unpackStrings(const uint8_t* in, size_t size, uint32_t count, TsfValueArray* out, QString* error) {
    // Every string is followed by one NUL: the texts fill at most the body less count bytes.
    if (size < count)
        return stringCountError(0, count, error);
    const size_t capacity = size - count;
    TsfByteBuffer& bytes = out->bytes();
    TsfOffsetBuffer& offsets = out->offsets();
    bytes.resize(capacity);
    offsets.resize(size_t(count) + 1);
    const uint8_t* end = in + size;
    uint8_t* text = bytes.data();
    size_t written = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const auto* nul = static_cast<const uint8_t*>(std::memchr(in, 0, size_t(end - in)));
        const size_t length = nul ? size_t(nul - in) : 0;
        // A string that leaves no room for the NULs of the strings after it means the header
        // claims more strings than the body holds.
        if (!nul || length > capacity - written)
            return stringCountError(i, count, error);
        for (size_t k = 0; k < length; ++k)
            text[written + k] = in[k];
        written += length;
        offsets[i + 1] = uint32_t(written);
        in = nul + 1;
    }
    bytes.resize(written);
    out->setSize(int(count));
    return true;
}

bool unpackCountedArrays(const uint8_t* in, size_t size, uint32_t count, TsfValueArray* out, QString* error) {
    const ValueType type = out->type();
    const size_t width = size_t(TsfValueArray::itemWidth(type));
    if (size_t(count) * 4 > size)
        return malformed(type, count, error);
    TsfOffsetBuffer& offsets = out->offsets();
    offsets.resize(size_t(count) + 1);
    uint64_t items = 0;
    for (uint32_t i = 0; i < count; ++i) {
        items += getLe(in + 4 * size_t(i), 4);
        offsets[i + 1] = uint32_t(items);
    }
    if (size_t(count) * 4 + items * width != size || items > UINT32_MAX)
        return malformed(type, count, error);
    out->bytes().resize(size_t(items) * width);
    if (items > 0)
        std::memcpy(out->bytes().data(), in + size_t(count) * 4, size_t(items) * width);
    out->setSize(int(count));
    return true;
}

bool unpackSlottedArrays(const uint8_t* in, size_t size, uint32_t count, TsfValueArray* out, QString* error) {
    const ValueType type = out->type();
    const size_t width = size_t(TsfValueArray::itemWidth(type));
    const size_t slot = size_t(countSlot(type));
    // Every element has at least its count slot.
    if (size / slot < count)
        return malformed(type, count, error);
    TsfByteBuffer& bytes = out->bytes();
    TsfOffsetBuffer& offsets = out->offsets();
    bytes.reserve(size);
    offsets.reserve(size_t(count) + 1);
    const uint8_t* end = in + size;
    for (uint32_t i = 0; i < count; ++i) {
        if (size_t(end - in) < slot)
            return malformed(type, count, error);
        const uint32_t n = getLe(in, 2);
        in += slot;
        if (size_t(end - in) < n * width)
            return malformed(type, count, error);
        bytes.insert(bytes.end(), in, in + n * width);
        offsets.push_back(offsets.back() + n);
        in += n * width;
    }
    out->setSize(int(count));
    return in == end || malformed(type, count, error);
}

bool unpackStringArrays(const uint8_t* in, size_t size, uint32_t count, TsfValueArray* out, QString* error) {
    // Every element has at least its 16-bit count.
    if (size / 2 < count)
        return malformed(ValueType::StringArray, count, error);
    out->bytes().reserve(size);
    out->offsets().reserve(size_t(count) + 1);
    const uint8_t* end = in + size;
    TsfOffsetBuffer& offsets = out->offsets();
    TsfOffsetBuffer& stringOffsets = out->stringOffsets();
    TsfByteBuffer& bytes = out->bytes();
    for (uint32_t i = 0; i < count; ++i) {
        if (end - in < 2)
            return malformed(ValueType::StringArray, count, error);
        const uint32_t n = getLe(in, 2);
        in += 2;
        for (uint32_t k = 0; k < n; ++k) {
            const auto* nul = static_cast<const uint8_t*>(std::memchr(in, 0, size_t(end - in)));
            if (!nul)
                return malformed(ValueType::StringArray, count, error);
            bytes.insert(bytes.end(), in, nul);
            stringOffsets.push_back(uint32_t(bytes.size()));
            in = nul + 1;
        }
        offsets.push_back(offsets.back() + n);
    }
    out->setSize(int(count));
    return true;
}

bool unpack(const uint8_t* in, size_t size, const TsfChunkHeader& header, TsfValueArray* out,
            QString* error) {
    const ValueType type = out->type();
    if (type == ValueType::String) {
        return header.width > 0 ? unpackFixedStrings(in, size, header.count, header.width, out, error)
                                : unpackStrings(in, size, header.count, out, error);
    }
    if (type == ValueType::StringArray)
        return unpackStringArrays(in, size, header.count, out, error);
    if (header.method == TsfCompression::Zstd || header.method == TsfCompression::Lz4)
        return unpackCountedArrays(in, size, header.count, out, error);
    return unpackSlottedArrays(in, size, header.count, out, error);
}

} // namespace

void TsfChunkHeader::write(char* out) const {
    std::memset(out, 0, Size);
    out[0] = char(Magic0);
    out[1] = char(Magic1);
    out[2] = char(uint8_t(method) & 0x3);
    std::memcpy(out + 3, format.constData(), size_t(std::min(3, int(format.size()))));
    putLe16(out + 6, width);
    putLe32(out + 8, count);
}

bool TsfChunkHeader::read(const char* blob, int size, TsfChunkHeader* header, QString* error) {
    if (size < Size) {
        *error = QStringLiteral("Less than 16 bytes expected for header of chunk");
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(blob);
    if (bytes[0] != Magic0 || bytes[1] != Magic1) {
        *error =
            QStringLiteral("Chunk did not start with expected magic 2 bytes. Possibly corrupted or created "
                           "with newer software.");
        return false;
    }
    if (bytes[2] > 3) {
        *error = QStringLiteral("Unsupported compression flag set in header");
        return false;
    }
    header->method = TsfCompression(bytes[2]);
    int formatSize = 3;
    while (formatSize > 0 && bytes[2 + formatSize] == 0)
        --formatSize;
    header->format = QByteArray(blob + 3, formatSize);
    header->width = uint16_t(getLe(bytes + 6, 2));
    header->count = getLe(bytes + 8, 4);
    return true;
}

QByteArray TsfChunkCodec::headerFormat(ValueType type) {
    switch (type) {
    case ValueType::Bool:
        return "?";
    case ValueType::Int:
    case ValueType::Categorical:
        return "i";
    case ValueType::Int64:
        return "i8";
    case ValueType::Float64:
        return "f8";
    case ValueType::Float:
        return "f";
    case ValueType::Character:
        return "b";
    case ValueType::String:
        return "s";
    case ValueType::IntArray:
    case ValueType::CategoricalArray:
        return "@i";
    case ValueType::FloatArray:
        return "@f";
    case ValueType::Float64Array:
        return "@f8";
    case ValueType::BoolArray:
        return "@?";
    case ValueType::StringArray:
        return "@s";
    default:
        return QByteArray();
    }
}

bool TsfChunkCodec::parseTypeCode(const QByteArray& code, ShortType* result, QString* error) {
    if (code.size() >= 2 && code.endsWith('1') &&
        (code.at(code.size() - 2) == '?' || code.at(code.size() - 2) == 'b'))
        return ShortType::parse(code.left(code.size() - 1), result, error);
    return ShortType::parse(code, result, error);
}

QByteArray TsfChunkCodec::encodeAndCompress(const TsfValueArray& values, int count, int start,
                                            TsfCompression method, TsfChunkHeader* header,
                                            TsfCompressionStats* stats, QString* error) {
    if (start < 0 || count < 0 || qint64(start) + count > values.size()) {
        *error = QStringLiteral("Asked to encode more elements than is present in vector");
        return QByteArray();
    }
    TsfChunkHeader head;
    head.format = headerFormat(values.type());
    if (head.format.isEmpty()) {
        *error = QStringLiteral("encodeAndCompress: type %1 (%2) not yet implemented")
                     .arg(ValueTypes::name(values.type()))
                     .arg(int(values.type()));
        return QByteArray();
    }
    const bool bloscZstd = method == TsfCompression::BloscZstd;
    if (bloscZstd)
        method = TsfCompression::Blosc;
    Body body;
    if (!buildBody(values, start, count, &method, &body, error))
        return QByteArray();
    head.method = method;
    head.width = body.width;
    head.count = uint32_t(count);

    QByteArray blob;
    bool ok = true;
    if (method == TsfCompression::Blosc) {
        ok = bloscCompress(body.data, body.size, body.typeSize, blob, TsfChunkHeader::Size, error, bloscZstd);
    } else {
        blob.resize(TsfChunkHeader::Size + SizePrefix);
        putBe32(blob.data() + TsfChunkHeader::Size, uint32_t(body.size));
        const int at = TsfChunkHeader::Size + SizePrefix;
        if (body.size > 0 && method == TsfCompression::Zstd)
            ok = zstdCompress(body.data, body.size, blob, at, error);
        else if (body.size > 0 && method == TsfCompression::Zlib)
            ok = zlibCompress(body.data, body.size, blob, at, error);
        else if (body.size > 0)
            ok = lz4Compress(body.data, body.size, blob, at, error);
    }
    if (!ok)
        return QByteArray();
    head.write(blob.data());
    if (header)
        *header = head;
    if (stats) {
        stats->uncompressedBytes += qint64(body.size);
        stats->compressedBytes += blob.size() - TsfChunkHeader::Size;
    }
    return blob;
}

bool TsfChunkCodec::decode(const char* blob, int size, TsfValueArray* out, QString* error,
                           qint64 expectedCount) {
    TsfChunkHeader header;
    if (!TsfChunkHeader::read(blob, size, &header, error))
        return false;
    if (expectedCount >= 0 && header.count != expectedCount) {
        *error = QStringLiteral("Chunk holds %1 values where its table expects %2")
                     .arg(header.count)
                     .arg(expectedCount);
        return false;
    }
    ShortType parsed;
    QString parseError;
    if (!parseTypeCode(header.format, &parsed, &parseError) || parsed.zFlag || parsed.hashFlag ||
        !TsfValueArray::isStorable(parsed.type)) {
        *error = QStringLiteral("Unexpected format string: ") + QString::fromLatin1(header.format);
        return false;
    }
    const ValueType type = parsed.type;
    out->reset(type);
    const bool blosc = header.method == TsfCompression::Blosc;
    if (header.count == 0 || size < (blosc ? 32 : 20)) {
        if (header.count > MaxBodylessCount)
            return malformed(type, header.count, error);
        fillDefaults(out, header.count);
        return true;
    }
    size_t rawSize = 0;
    if (blosc) {
        size_t nbytes = 0;
        const int status = blosc_cbuffer_validate(blob + 16, size_t(size - 16), &nbytes);
        if (status < 0) {
            *error = QStringLiteral("Chunk had BLOSC error while decompressing: %1").arg(status);
            return false;
        }
        rawSize = nbytes;
    } else {
        rawSize = getBe32(reinterpret_cast<const uint8_t*>(blob) + 16);
    }
    if (!plausibleRawSize(header.method, size_t(size) - (blosc ? 16 : 20), rawSize, error))
        return false;
    const int width = TsfValueArray::itemWidth(type);
    if (width > 0 && !ValueTypes::isVector(type)) {
        if (rawSize / size_t(width) != header.count) {
            *error = QStringLiteral("Compressed array of %1 has %2 vs header specified %3")
                         .arg(QLatin1String(sizeCheckName(type)))
                         .arg(rawSize / size_t(width))
                         .arg(header.count);
            return false;
        }
        out->bytes().resize(rawSize);
        if (!uncompress(header.method, blob, size, out->bytes().data(), rawSize, error))
            return false;
        out->bytes().resize(size_t(header.count) * size_t(width));
        out->setSize(int(header.count));
        return true;
    }
    TsfByteBuffer& scratch = threadState().scratch;
    scratch.resize(rawSize);
    if (!uncompress(header.method, blob, size, scratch.data(), rawSize, error))
        return false;
    return unpack(scratch.data(), rawSize, header, out, error);
}

bool TsfChunkCodec::zstdCompress(const char* data, size_t size, QByteArray& out, int at, QString* error) {
    ThreadState& state = threadState();
    if (!state.zstdC)
        state.zstdC = ZSTD_createCCtx();
    const size_t bound = ZSTD_compressBound(size);
    out.resize(at + int(bound));
    const size_t written = ZSTD_compressCCtx(state.zstdC, out.data() + at, bound, data, size, ZstdLevel);
    if (!state.zstdC || ZSTD_isError(written)) {
        out.clear();
        *error = QStringLiteral("zstdCompress: Zstd compression failed!");
        return false;
    }
    out.resize(at + int(written));
    return true;
}

bool TsfChunkCodec::zlibCompress(const char* data, size_t size, QByteArray& out, int at, QString* error) {
    ThreadState& state = threadState();
    z_stream& stream = state.deflater;
    if (!state.deflaterReady) {
        if (deflateInit(&stream, Z_DEFAULT_COMPRESSION) != Z_OK) {
            *error = QStringLiteral("zlibCompress: Z_MEM_ERROR: Not enough memory");
            return false;
        }
        state.deflaterReady = true;
    }
    // The one-shot compressor's output, made with a reused stream.
    for (size_t capacity = size + size / 100 + 13;; capacity *= 2) {
        deflateReset(&stream);
        out.resize(at + int(capacity));
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream.avail_in = uInt(size);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + at);
        stream.avail_out = uInt(capacity);
        const int status = deflate(&stream, Z_FINISH);
        if (status == Z_STREAM_END) {
            out.resize(at + int(stream.total_out));
            return true;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            out.clear();
            *error = QStringLiteral("zlibCompress: Z_MEM_ERROR: Not enough memory");
            return false;
        }
    }
}

bool TsfChunkCodec::lz4Compress(const char* data, size_t size, QByteArray& out, int at, QString* error) {
    ThreadState& state = threadState();
    if (state.lz4State.empty())
        state.lz4State.resize(size_t(LZ4_sizeofStateHC()));
    const int bound = LZ4_compressBound(int(size));
    out.resize(at + bound);
    const int written = bound > 0 ? LZ4_compress_HC_extStateHC(state.lz4State.data(), data, out.data() + at,
                                                               int(size), bound, Lz4Level)
                                  : 0;
    if (written <= 0) {
        out.clear();
        *error = QStringLiteral("lz4Compress: LZ4 compression failed!");
        return false;
    }
    out.resize(at + written);
    return true;
}

bool TsfChunkCodec::bloscCompress(const char* data, size_t size, int typeSize, QByteArray& out, int at,
                                  QString* error, bool zstd) {
    const size_t capacity = size + BLOSC_MAX_OVERHEAD;
    out.resize(at + int(capacity));
    const int written = blosc_compress_ctx(zstd ? BloscZstdLevel : BloscLevel,
                                           typeSize >= 2 ? BLOSC_SHUFFLE : BLOSC_NOSHUFFLE, size_t(typeSize), size,
                                           data, out.data() + at, capacity,
                                           zstd ? BLOSC_ZSTD_COMPNAME : BLOSC_BLOSCLZ_COMPNAME, 0, 1);
    if (written <= 0) {
        out.clear();
        *error = QStringLiteral("bloscCompress: BLOSC compression failed");
        return false;
    }
    out.resize(at + written);
    return true;
}

bool TsfChunkCodec::zstdUncompress(const char* data, size_t dataSize, uint8_t* out, size_t size,
                                   QString* error) {
    ThreadState& state = threadState();
    if (!state.zstdD)
        state.zstdD = ZSTD_createDCtx();
    const size_t produced = state.zstdD ? ZSTD_decompressDCtx(state.zstdD, out, size, data, dataSize) : 0;
    if (ZSTD_isError(produced) || produced != size) {
        *error = QStringLiteral("zstdUncompress: Corrupt or invalid input. %1/%2")
                     .arg(ZSTD_isError(produced) ? 0 : produced)
                     .arg(size);
        return false;
    }
    return true;
}

bool TsfChunkCodec::zlibUncompress(const char* data, size_t dataSize, uint8_t* out, size_t size,
                                   QString* error) {
    ThreadState& state = threadState();
    z_stream& stream = state.inflater;
    if (!state.inflaterReady) {
        if (inflateInit(&stream) != Z_OK) {
            *error = QStringLiteral("zlibUncompress: Z_MEM_ERROR: Not enough memory");
            return false;
        }
        state.inflaterReady = true;
    }
    inflateReset(&stream);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(dataSize);
    stream.next_out = out;
    stream.avail_out = uInt(size);
    const int status = inflate(&stream, Z_FINISH);
    if (status == Z_STREAM_END && stream.total_out == size)
        return true;
    if (status == Z_MEM_ERROR)
        *error = QStringLiteral("zlibUncompress: Z_MEM_ERROR: Not enough memory");
    else if (status == Z_OK || status == Z_BUF_ERROR)
        *error =
            QStringLiteral("zlibUncompress: Z_BUF_ERROR: %1 was not enough bytes to compress into").arg(size);
    else
        *error = QStringLiteral("zlibUncompress: Z_DATA_ERROR: Input data is corrupted");
    return false;
}

bool TsfChunkCodec::lz4Uncompress(const char* data, size_t dataSize, uint8_t* out, size_t size,
                                  QString* error) {
    const int produced = LZ4_decompress_safe(data, reinterpret_cast<char*>(out), int(dataSize), int(size));
    if (produced < 0 || size_t(produced) != size) {
        *error = QStringLiteral("lz4Uncompress: Corrupt or invalid input. %1/%2")
                     .arg(std::max(produced, 0))
                     .arg(size);
        return false;
    }
    return true;
}

bool TsfChunkCodec::bloscUncompress(const char* data, size_t dataSize, uint8_t* out, size_t size,
                                    QString* error) {
    size_t nbytes = 0;
    int status = blosc_cbuffer_validate(data, dataSize, &nbytes);
    if (status >= 0 && nbytes != size)
        status = -1;
    if (status >= 0)
        status = blosc_decompress_ctx(data, out, size, 1);
    if (status < 0 || size_t(status) != size) {
        *error = QStringLiteral("Chunk had BLOSC error while decompressing: %1").arg(status);
        return false;
    }
    return true;
}
