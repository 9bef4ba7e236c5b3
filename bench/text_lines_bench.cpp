// Line-read throughput of TextFile::Reader: every line of a file in one opening mode, timed.
//   text_lines_bench bgzf|gzip|text|tabix FILE [THREADS]
// Compare with `bgzip -dc FILE > /dev/null` and `bcftools view -Ob -o /dev/null FILE`.
#include "formats/text/TextFileReader.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

bool open(TextFile::Reader& reader, const char* mode, const QString& path) {
    if (!std::strcmp(mode, "bgzf"))
        return reader.openBgzf(path);
    if (!std::strcmp(mode, "gzip"))
        return reader.openGzip(path);
    if (!std::strcmp(mode, "text"))
        return reader.openText(path);
    return !std::strcmp(mode, "tabix") && reader.openTabix(path, path + ".tbi");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s bgzf|gzip|text|tabix FILE [THREADS]\n", argv[0]);
        return 1;
    }
    TextFile::Reader reader;
    reader.setDecompressionThreads(argc > 3 ? std::atoi(argv[3]) : 0);
    const auto start = std::chrono::steady_clock::now();
    if (!open(reader, argv[1], QString::fromLocal8Bit(argv[2])) || !reader.startRead()) {
        std::fprintf(stderr, "%s\n", qPrintable(reader.errorText()));
        return 1;
    }
    long long lines = 0, bytes = 0;
    unsigned checksum = 0; // touches every line, as a parser would
    int length = 0;
    while (const char* line = reader.nextLine(&length)) {
        ++lines;
        bytes += length + 1;
        checksum += length > 0 ? static_cast<unsigned char>(line[length - 1]) : 0;
    }
    if (reader.hasError()) {
        std::fprintf(stderr, "%s\n", qPrintable(reader.errorText()));
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s threads=%s: %lld lines, %.1f MB in %.3f s: %.0f MB/s, %.2f M lines/s (%u)\n", argv[1],
                argc > 3 ? argv[3] : "0", lines, bytes / 1e6, seconds, bytes / 1e6 / seconds,
                lines / 1e6 / seconds, checksum & 1);
    return 0;
}
