#pragma once

#include "formats/tsf/TsfValueArray.h"
#include "source/values/ShortType.h"

#include <QByteArray>
#include <QString>

// Compression method of a chunk, the low two bits of header byte 2. BloscZstd is a way of writing
// Blosc (its low bits are Blosc's): Zstandard inside the Blosc buffer at a moderate level, for
// compact files; readers see an ordinary Blosc chunk.
enum class TsfCompression : uint8_t { Zstd = 0, Zlib = 1, Blosc = 2, Lz4 = 3, BloscZstd = 6 };

// The 16 bytes in front of every chunk: magic 0xFA 0x01, method, format string of the element
// type (up to three characters), element width (16-bit LE), element count (32-bit LE), zeros.
struct TsfChunkHeader {
    static constexpr int Size = 16;
    static constexpr uint8_t Magic0 = 0xFA;
    static constexpr uint8_t Magic1 = 0x01;

    TsfCompression method = TsfCompression::Zstd;
    QByteArray format;
    uint16_t width = 0;
    uint32_t count = 0;

    void write(char* out) const;
    // False, with "Less than 16 bytes expected for header of chunk" or the bad-magic message.
    static bool read(const char* blob, int size, TsfChunkHeader* header, QString* error);
};

// Running totals of a column's chunks for the writer's compression report.
struct TsfCompressionStats {
    qint64 uncompressedBytes = 0;
    qint64 compressedBytes = 0; // blob sizes less their 16-byte headers
};

// Encoding and decoding of chunk blobs. All buffers that do not outlive a call are per-thread
// scratch space, so steady-state encoding allocates only the blob it returns and decoding
// allocates nothing once the target array has grown to the chunk size.
class TsfChunkCodec {
public:
    // Longest element of an array in the zlib and Blosc layouts (16-bit counts).
    static constexpr int MaxShortArrayCount = 65535;
    // Longest string that still goes into fixed Blosc slots.
    static constexpr int MaxFixedSlotString = 1000;

    // Encodes values[start, start + count) with the method (Strings may switch to zlib). Returns
    // the blob, or an empty result with the message in error. header and stats may be null.
    static QByteArray encodeAndCompress(const TsfValueArray& values, int count, int start,
                                        TsfCompression method, TsfChunkHeader* header,
                                        TsfCompressionStats* stats, QString* error);

    // Decodes a blob into out (whose buffers are reused). False with the decode message; out is
    // then unspecified. A chunk whose header count is not expectedCount (when that is not -1)
    // is refused before anything is allocated.
    static bool decode(const char* blob, int size, TsfValueArray* out, QString* error,
                       qint64 expectedCount = -1);
    static bool decode(const QByteArray& blob, TsfValueArray* out, QString* error,
                       qint64 expectedCount = -1) {
        return decode(blob.constData(), blob.size(), out, error, expectedCount);
    }

    // Header format string of a storage type ("i", "@f8" ...); empty when it has no encoding.
    static QByteArray headerFormat(ValueType type);
    // Field type code (`field.field_type`) of a type with the two flags: "i", "z#@f4" ...
    static QByteArray typeCode(ValueType type, bool zFlag = false, bool hashFlag = false) {
        return ShortType::text(type, zFlag, hashFlag);
    }
    // Parses a field type code or header format string (also "?1" and "b1"). False with
    // the schema message.
    static bool parseTypeCode(const QByteArray& code, ShortType* result, QString* error);

    // Compressors append their stream to out from byte `at` on (out is resized to fit) and
    // return false with their message on failure.
    static bool zstdCompress(const char* data, size_t size, QByteArray& out, int at, QString* error);
    static bool zlibCompress(const char* data, size_t size, QByteArray& out, int at, QString* error);
    static bool lz4Compress(const char* data, size_t size, QByteArray& out, int at, QString* error);
    // Blosc with its own fast codec at the highest level, or (zstd) Zstandard at a moderate level.
    static bool bloscCompress(const char* data, size_t size, int typeSize, QByteArray& out, int at,
                              QString* error, bool zstd = false);
    // Decompressors fill exactly `size` bytes of out, or fail with their message.
    static bool zstdUncompress(const char* data, size_t dataSize, uint8_t* out, size_t size, QString* error);
    static bool zlibUncompress(const char* data, size_t dataSize, uint8_t* out, size_t size, QString* error);
    static bool lz4Uncompress(const char* data, size_t dataSize, uint8_t* out, size_t size, QString* error);
    static bool bloscUncompress(const char* data, size_t dataSize, uint8_t* out, size_t size, QString* error);
};
