// The VCF header and line parsers on a whole VCF text: the header builds the schema, then every
// data line is parsed once with every field asked for and once with none (only END is looked
// for), as the readers do, until a line is refused.
#include "FuzzLines.h"

#include "formats/vcf/VcfHeader.h"
#include "formats/vcf/VcfLineParser.h"
#include "formats/vcf/VcfSchema.h"

namespace {
constexpr int kLinesScannedForKeys = 1000;

bool readHeader(FuzzLines& lines, VcfHeader* header) {
    QString error;
    int length = 0;
    while (const char* line = lines.next(&length)) {
        if (length == 0 || line[0] != '#' || !header->addLine(line, length, &error))
            return false;
        if (header->isComplete())
            return true;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzLines headerLines(data, size);
    VcfHeader header;
    if (!readHeader(headerLines, &header))
        return 0;
    int length = 0;
    for (int scanned = 0; scanned < kLinesScannedForKeys; ++scanned) {
        const char* line = headerLines.next(&length);
        if (!line)
            break;
        if (length > 0 && line[0] != '#')
            header.declareKeysOf(line, length);
    }
    const VcfSchema schema(header);
    QList<int> everyField;
    for (int idx = 0; idx < schema.fields().size(); ++idx)
        everyField.append(idx);
    VcfLineParser full(schema, everyField, true);
    VcfLineParser bare(schema, QList<int>(), false);

    FuzzLines lines(data, size);
    VkFeature feature;
    QString problem;
    for (int skip = header.lineCount(); skip > 0; --skip)
        lines.next(&length);
    while (const char* line = lines.next(&length)) {
        if (length == 0 || line[0] == '#')
            continue;
        if (!full.parse(line, length, &feature, &problem) || !bare.parse(line, length, &feature, &problem))
            break;
        full.site();
    }
    return 0;
}
