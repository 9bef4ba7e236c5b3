// Chunk codec throughput: encodes and decodes 4,096-value chunks of typical columns with every
// compression method and prints MB/s of uncompressed data and the compression ratio. Times are
// the thread's CPU time, so a busy machine does not distort them.

#include "formats/tsf/TsfChunkCodec.h"

#include <cstdio>
#include <ctime>
#include <random>

namespace {

constexpr int ChunkValues = 4096;
constexpr qint64 TargetBytes = 256ll << 20;

struct Column {
    const char* name;
    TsfValueArray values;
};

std::vector<Column> columns() {
    std::mt19937 rng(1);
    std::vector<Column> list;
    TsfValueArray depth(ValueType::Int), quality(ValueType::Float), ids(ValueType::String),
        ad(ValueType::IntArray);
    TsfValueArray frequency(ValueType::Float64);
    for (int i = 0; i < ChunkValues; ++i) {
        depth.appendInt(int32_t(10 + rng() % 40));
        quality.appendFloat(float(rng() % 10000) / 10.0f);
        frequency.appendFloat64(double(rng() % 1000) / 1000.0);
        ids.appendString("rs" + QByteArray::number(int(1000000 + i * 37 + rng() % 30)));
        const int32_t depths[] = {int32_t(rng() % 30), int32_t(rng() % 10)};
        ad.appendArray(depths, 2);
    }
    list.push_back({"Int (depth)", depth});
    list.push_back({"Float (quality)", quality});
    list.push_back({"Float64 (frequency)", frequency});
    list.push_back({"String (ids)", ids});
    list.push_back({"Int Array (2 per value)", ad});
    return list;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

const char* methodName(TsfCompression method) {
    switch (method) {
    case TsfCompression::Zstd:
        return "zstd";
    case TsfCompression::Zlib:
        return "zlib";
    case TsfCompression::Blosc:
        return "blosc";
    case TsfCompression::BloscZstd:
        return "blosc-zstd";
    case TsfCompression::Lz4:
        return "lz4";
    }
    return "";
}

} // namespace

int main() {
    std::printf("%-26s %-6s %10s %10s %8s\n", "column", "method", "enc MB/s", "dec MB/s", "ratio");
    for (Column& column : columns()) {
        for (TsfCompression method :
             {TsfCompression::Zstd, TsfCompression::Zlib, TsfCompression::Blosc, TsfCompression::Lz4}) {
            QString error;
            TsfCompressionStats stats;
            QByteArray blob;
            double started = cpuSeconds();
            qint64 rounds = 0;
            while (stats.uncompressedBytes < TargetBytes / 4) {
                blob = TsfChunkCodec::encodeAndCompress(column.values, ChunkValues, 0, method, nullptr,
                                                        &stats, &error);
                ++rounds;
            }
            const double encodeSeconds = cpuSeconds() - started;
            const qint64 rawPerChunk = stats.uncompressedBytes / rounds;
            TsfValueArray out;
            started = cpuSeconds();
            for (qint64 i = 0; i < rounds; ++i)
                TsfChunkCodec::decode(blob, &out, &error);
            const double decodeSeconds = cpuSeconds() - started;
            const double megabytes = double(stats.uncompressedBytes) / 1e6;
            std::printf("%-26s %-6s %10.0f %10.0f %8.2f\n", column.name, methodName(method),
                        megabytes / encodeSeconds, megabytes / decodeSeconds,
                        double(rawPerChunk) / double(blob.size() - 16));
        }
    }
    return 0;
}
