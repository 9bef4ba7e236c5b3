#include "formats/tsf/TsfChunkCodec.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const TsfCompression kMethods[] = {TsfCompression::Zstd, TsfCompression::Zlib, TsfCompression::Blosc,
                                   TsfCompression::Lz4};

const ValueType kTypes[] = {ValueType::Bool,         ValueType::Int,
                            ValueType::Int64,        ValueType::Float,
                            ValueType::Float64,      ValueType::Categorical,
                            ValueType::Character,    ValueType::String,
                            ValueType::IntArray,     ValueType::FloatArray,
                            ValueType::Float64Array, ValueType::BoolArray,
                            ValueType::StringArray,  ValueType::CategoricalArray};

QByteArray randomString(std::mt19937& rng, int maxLength) {
    QByteArray text(int(rng() % uint32_t(maxLength + 1)), Qt::Uninitialized);
    for (char& c : text)
        c = char('!' + rng() % 90);
    return text;
}

// Random values of a type; every fourth array element is empty.
TsfValueArray randomArray(ValueType type, int count, std::mt19937& rng) {
    TsfValueArray values(type);
    for (int i = 0; i < count; ++i) {
        const int n = i % 4 == 0 ? 0 : int(rng() % 9);
        switch (type) {
        case ValueType::Bool:
            values.appendBool(uint8_t(rng() % 3));
            break;
        case ValueType::Int:
        case ValueType::Categorical:
            values.appendInt(int32_t(rng()));
            break;
        case ValueType::Int64:
            values.appendInt64((int64_t(rng()) << 32) | rng());
            break;
        case ValueType::Float:
            values.appendFloat(float(rng()) / 7.0f);
            break;
        case ValueType::Float64:
            values.appendFloat64(double(rng()) / 3.0);
            break;
        case ValueType::Character:
            values.appendChar(char(rng()));
            break;
        case ValueType::String:
            values.appendString(randomString(rng, 12));
            break;
        case ValueType::StringArray: {
            QVector<QByteArray> strings;
            for (int k = 0; k < n; ++k)
                strings.append(randomString(rng, 6));
            values.appendStringArray(strings);
            break;
        }
        case ValueType::FloatArray: {
            std::vector<float> items(size_t(n), 0.5f * float(rng() % 100));
            values.appendArray(items.data(), n);
            break;
        }
        case ValueType::Float64Array: {
            std::vector<double> items(size_t(n), 0.25 * double(rng() % 100));
            values.appendArray(items.data(), n);
            break;
        }
        case ValueType::BoolArray: {
            std::vector<uint8_t> items(size_t(n), uint8_t(rng() % 2));
            values.appendArray(items.data(), n);
            break;
        }
        default: {
            std::vector<int32_t> items(static_cast<size_t>(n));
            for (int32_t& item : items)
                item = int32_t(rng() % 1000);
            values.appendArray(items.data(), n);
            break;
        }
        }
    }
    return values;
}

// What a decoded chunk should hold: the encoded slice, with Categorical read back as Int codes.
TsfValueArray expectedSlice(const TsfValueArray& values, int start, int count) {
    ValueType type = values.type();
    if (type == ValueType::Categorical)
        type = ValueType::Int;
    if (type == ValueType::CategoricalArray)
        type = ValueType::IntArray;
    TsfValueArray slice(type);
    for (int i = start; i < start + count; ++i)
        EXPECT_TRUE(slice.append(values.valueAt(i))) << ValueTypes::name(values.type()).toStdString();
    return slice;
}

QByteArray encode(const TsfValueArray& values, TsfCompression method, TsfChunkHeader* header = nullptr,
                  QString* error = nullptr) {
    QString ignored;
    return TsfChunkCodec::encodeAndCompress(values, values.size(), 0, method, header, nullptr,
                                            error ? error : &ignored);
}

QString decodeError(const QByteArray& blob) {
    TsfValueArray out;
    QString error;
    EXPECT_FALSE(TsfChunkCodec::decode(blob, &out, &error));
    return error;
}

TsfValueArray intArrayWithElement(int items) {
    TsfValueArray values(ValueType::IntArray);
    std::vector<int32_t> big(size_t(items), 7);
    values.appendArray(big.data(), items);
    return values;
}

} // namespace

TEST(TsfChunkCodec, HeaderBytesForEveryMethodAndType) {
    struct Golden {
        ValueType type;
        const char format[4];
        uint16_t width;
    };
    const Golden golden[] = {{ValueType::Bool, "?", 1},
                             {ValueType::Int, "i", 4},
                             {ValueType::Int64, "i8", 8},
                             {ValueType::Float64, "f8", 8},
                             {ValueType::Float, "f", 4},
                             {ValueType::Categorical, "i", 4},
                             {ValueType::Character, "b", 1},
                             {ValueType::IntArray, "@i", 4},
                             {ValueType::FloatArray, "@f", 4},
                             {ValueType::Float64Array, "@f8", 8},
                             {ValueType::BoolArray, "@?", 1},
                             {ValueType::StringArray, "@s", 0},
                             {ValueType::CategoricalArray, "@i", 4}};
    std::mt19937 rng(5);
    for (const Golden& g : golden) {
        const TsfValueArray values = randomArray(g.type, 3, rng);
        for (TsfCompression method : kMethods) {
            const QByteArray blob = encode(values, method);
            ASSERT_GE(blob.size(), 20);
            const QByteArray format = QByteArray(g.format).leftJustified(3, '\0');
            const QByteArray expected = QByteArray("\xFA\x01", 2) + char(method) + format +
                                        char(g.width & 0xFF) + char(g.width >> 8) +
                                        QByteArray("\x03\x00\x00\x00", 4) + QByteArray(4, '\0');
            EXPECT_EQ(blob.left(16).toHex(), expected.toHex()) << g.format << " method " << int(method);
        }
    }
}

TEST(TsfChunkCodec, EmptyZstdChunkIsHeaderAndZeroSize) {
    const QByteArray blob = encode(TsfValueArray(ValueType::Int), TsfCompression::Zstd);
    EXPECT_EQ(blob.toHex(), QByteArray("fa010069000004000000000000000000"
                                       "00000000"));
    TsfValueArray out(ValueType::Float);
    QString error;
    ASSERT_TRUE(TsfChunkCodec::decode(blob, &out, &error)) << error.toStdString();
    EXPECT_EQ(out.type(), ValueType::Int);
    EXPECT_EQ(out.size(), 0);
}

TEST(TsfChunkCodec, NonBloscBodiesStartWithTheBigEndianSize) {
    TsfValueArray values(ValueType::Int64);
    for (int i = 0; i < 100; ++i)
        values.appendInt64(i);
    for (TsfCompression method : {TsfCompression::Zstd, TsfCompression::Zlib, TsfCompression::Lz4})
        EXPECT_EQ(encode(values, method).mid(16, 4).toHex(), QByteArray("00000320"));
}

TEST(TsfChunkCodec, RandomColumnsRoundTripThroughEveryMethod) {
    std::mt19937 rng(42);
    for (ValueType type : kTypes) {
        for (TsfCompression method : kMethods) {
            for (int count : {0, 1, 17, 4096}) {
                const TsfValueArray values = randomArray(type, count + 5, rng);
                TsfCompressionStats stats;
                QString error;
                const QByteArray blob =
                    TsfChunkCodec::encodeAndCompress(values, count, 5, method, nullptr, &stats, &error);
                ASSERT_FALSE(blob.isEmpty()) << error.toStdString();
                EXPECT_EQ(stats.compressedBytes, blob.size() - 16);
                TsfValueArray out;
                ASSERT_TRUE(TsfChunkCodec::decode(blob, &out, &error))
                    << ValueTypes::name(type).toStdString() << " " << int(method) << ": "
                    << error.toStdString();
                EXPECT_TRUE(out == expectedSlice(values, 5, count))
                    << ValueTypes::name(type).toStdString() << " method " << int(method) << " count "
                    << count;
            }
        }
    }
}

TEST(TsfChunkCodec, StringSlotsUpToOneThousandBytesElseZlib) {
    for (int longest : {1000, 1001}) {
        TsfValueArray values(ValueType::String);
        values.appendString(QByteArray(longest, 'x'));
        values.appendString("ab");
        values.appendString("");
        TsfChunkHeader header;
        const QByteArray blob = encode(values, TsfCompression::Blosc, &header);
        ASSERT_FALSE(blob.isEmpty());
        if (longest == 1000) {
            EXPECT_EQ(header.method, TsfCompression::Blosc);
            EXPECT_EQ(header.width, 1001);
        } else {
            EXPECT_EQ(header.method, TsfCompression::Zlib);
            EXPECT_EQ(header.width, 0);
            EXPECT_EQ(uint8_t(blob.at(2)), 1);
        }
        TsfValueArray out;
        QString error;
        ASSERT_TRUE(TsfChunkCodec::decode(blob, &out, &error)) << error.toStdString();
        EXPECT_TRUE(out == values);
    }
    TsfValueArray values(ValueType::String);
    values.appendString("abc");
    TsfChunkHeader header;
    encode(values, TsfCompression::Zstd, &header);
    EXPECT_EQ(header.method, TsfCompression::Zlib);
}

TEST(TsfChunkCodec, ArrayElementLimitDependsOnTheLayout) {
    for (TsfCompression method : kMethods) {
        QString error;
        const QByteArray atLimit = encode(intArrayWithElement(65535), method, nullptr, &error);
        EXPECT_FALSE(atLimit.isEmpty()) << error.toStdString();
        TsfValueArray out;
        ASSERT_TRUE(TsfChunkCodec::decode(atLimit, &out, &error));
        EXPECT_EQ(out.arrayCount(0), 65535);

        const QByteArray over = encode(intArrayWithElement(70000), method, nullptr, &error);
        const bool countedLayout = method == TsfCompression::Zstd || method == TsfCompression::Lz4;
        EXPECT_EQ(over.isEmpty(), !countedLayout) << int(method);
        if (!countedLayout) {
            EXPECT_TRUE(error.contains(QLatin1String("element 0"))) << error.toStdString();
        }
    }
}

TEST(TsfChunkCodec, SlottedArrayLayoutBytes) {
    TsfValueArray values(ValueType::Float64Array);
    const double items[] = {1.5};
    values.appendArray(items, 1);
    const QByteArray blob = encode(values, TsfCompression::Zlib);
    TsfValueArray out;
    QString error;
    ASSERT_TRUE(TsfChunkCodec::decode(blob, &out, &error));
    EXPECT_EQ(out.valueAt(0), PVariant(QVector<double>{1.5}));
    // A Float64 Array element is a 2-byte count then its values: 10 bytes uncompressed.
    EXPECT_EQ(blob.mid(16, 4).toHex(), QByteArray("0000000a"));
    TsfValueArray ints(ValueType::IntArray);
    const int32_t one[] = {9};
    ints.appendArray(one, 1);
    EXPECT_EQ(encode(ints, TsfCompression::Zlib).mid(16, 4).toHex(), QByteArray("00000008"));
}

TEST(TsfChunkCodec, DecodeMessagesForMalformedChunks) {
    EXPECT_EQ(decodeError(QByteArray(15, 'x')),
              QStringLiteral("Less than 16 bytes expected for header of chunk"));
    EXPECT_EQ(
        decodeError(QByteArray(20, 'x')),
        QStringLiteral("Chunk did not start with expected magic 2 bytes. Possibly corrupted or created with "
                       "newer software."));

    TsfValueArray doubles(ValueType::Float64);
    for (int i = 0; i < 9; ++i)
        doubles.appendFloat64(i);
    QByteArray blob = encode(doubles, TsfCompression::Zstd);
    blob[8] = 10; // header claims 10 values, the body holds 72 bytes
    EXPECT_EQ(decodeError(blob), QStringLiteral("Compressed array of Double has 9 vs header specified 10"));

    TsfValueArray ints(ValueType::Int);
    ints.appendInt(3);
    QByteArray flagged = encode(ints, TsfCompression::Zstd);
    flagged[3] = '#';
    flagged[4] = 'i';
    EXPECT_EQ(decodeError(flagged), QStringLiteral("Unexpected format string: #i"));
    flagged[3] = 'q';
    EXPECT_EQ(decodeError(flagged), QStringLiteral("Unexpected format string: qi"));

    QByteArray corrupt = encode(doubles, TsfCompression::Zstd);
    corrupt[21] = char(corrupt[21] ^ 0x5A);
    corrupt[22] = char(corrupt[22] ^ 0x5A);
    EXPECT_TRUE(decodeError(corrupt).startsWith(QLatin1String("zstdUncompress: Corrupt or invalid input.")));

    QByteArray lz4 = encode(doubles, TsfCompression::Lz4);
    lz4.chop(3);
    EXPECT_TRUE(decodeError(lz4).startsWith(QLatin1String("lz4Uncompress: Corrupt or invalid input.")));

    QByteArray zlib = encode(doubles, TsfCompression::Zlib);
    zlib[20] = 0x11;
    EXPECT_TRUE(decodeError(zlib).startsWith(QLatin1String("zlibUncompress: Z_DATA_ERROR")));

    QByteArray blosc = encode(doubles, TsfCompression::Blosc);
    blosc[16] = char(0x7F);
    blosc[17] = char(0x7F);
    EXPECT_TRUE(decodeError(blosc).startsWith(QLatin1String("Chunk had BLOSC error while decompressing")));
}

TEST(TsfChunkCodec, RandomCorruptionNeverCrashes) {
    std::mt19937 rng(7);
    for (ValueType type : kTypes) {
        for (TsfCompression method : kMethods) {
            const QByteArray blob = encode(randomArray(type, 300, rng), method);
            for (int trial = 0; trial < 40; ++trial) {
                QByteArray damaged = blob;
                const int flips = 1 + int(rng() % 4);
                for (int f = 0; f < flips; ++f) {
                    const int at = 3 + int(rng() % uint32_t(damaged.size() - 3));
                    damaged[at] = char(rng());
                }
                if (trial % 5 == 0)
                    damaged.truncate(16 + int(rng() % uint32_t(damaged.size() - 16)));
                TsfValueArray out;
                QString error;
                if (!TsfChunkCodec::decode(damaged, &out, &error)) {
                    EXPECT_FALSE(error.isEmpty());
                }
            }
        }
    }
}
