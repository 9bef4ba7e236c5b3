// The delimited-text prober and reader on a whole file: the layout is probed as the source types
// do (tab- and comma-separated with the header on the first line, and tab-separated with a "#"
// header as the text writer hands back its files), then every data line is read with every field.
#include "FuzzLines.h"

#include "formats/dsv/DelimitedTextReader.h"

#include <memory>

using DelimitedText::Reader;

namespace {

enum class ProbeEnd { Done, HeaderNotFound, Failed };

ProbeEnd probeLines(const uint8_t* data, size_t size, Reader& reader) {
    if (reader.hasError())
        return ProbeEnd::Failed;
    FuzzLines lines(data, size);
    int length = 0;
    for (const char* line = lines.next(&length); line; line = lines.next(&length)) {
        switch (reader.probeLine(line, length, lines.position())) {
        case Reader::Probe::NeedMore:
            break;
        case Reader::Probe::Complete:
            return ProbeEnd::Done;
        case Reader::Probe::HeaderNotFound:
            return ProbeEnd::HeaderNotFound;
        case Reader::Probe::Failed:
            return ProbeEnd::Failed;
        }
    }
    return reader.headerNotFound() ? ProbeEnd::HeaderNotFound : ProbeEnd::Done;
}

// The probe with the sampling limits the query reader sets, retried without a header when none
// was found.
std::unique_ptr<Reader> probe(const uint8_t* data, size_t size, DelimitedTextReaderOptions options) {
    options.setMaxHeaderSearchLineCount(200);
    options.setMaxFieldTypeSampleCount(200);
    options.setMaxListTypeSampleCount(10);
    auto reader = std::make_unique<Reader>(options);
    ProbeEnd end = probeLines(data, size, *reader);
    if (end == ProbeEnd::HeaderNotFound) {
        options.setHeaderLine(-1);
        options.setHeaderLinePatternType(-1);
        reader = std::make_unique<Reader>(options);
        end = probeLines(data, size, *reader);
    }
    if (end != ProbeEnd::Done || !reader->finishProbe())
        return nullptr;
    return reader;
}

void readAll(const uint8_t* data, size_t size, Reader& reader) {
    if (!reader.prepare())
        return;
    QList<int> fields;
    for (int idx = 0; idx < reader.fieldMap().size(); ++idx)
        fields.append(idx);
    FuzzLines lines(data, size);
    VkFeature feature;
    int length = 0;
    for (const char* line = lines.next(&length); line; line = lines.next(&length))
        if (reader.isDataLine(line, length, lines.position()))
            reader.readFeature(line, length, fields, &feature);
}

void probeAndRead(const uint8_t* data, size_t size, bool csv, DelimitedText::HeaderStyle header) {
    DelimitedTextReaderOptions options;
    DelimitedText::applyFormatDefaults(options, csv, header);
    if (const std::unique_ptr<Reader> reader = probe(data, size, options))
        readAll(data, size, *reader);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    probeAndRead(data, size, false, DelimitedText::HeaderStyle::FirstLine);
    probeAndRead(data, size, true, DelimitedText::HeaderStyle::FirstLine);
    probeAndRead(data, size, false, DelimitedText::HeaderStyle::CommentLine);
    return 0;
}
