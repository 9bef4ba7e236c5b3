// The BED parser on a whole file, with the column count of its first data line as the source type
// finds it.
#include "FuzzTrack.h"

#include "formats/bed/BedParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzLines lines(data, size);
    int length = 0;
    int columns = 3;
    while (const char* line = lines.next(&length)) {
        if (BedParser::isHeaderLine(line, length))
            continue;
        ByteRange unused;
        columns = LineSplit::split(line, length, '\t', &unused, 0);
        break;
    }
    if (columns < 3)
        return 0;
    BedParser full(columns, everyField(BedParser::schema(columns).size()));
    BedParser bare(columns, {});
    parseTrack(data, size, full, bare);
    return 0;
}
