// The wig parser on a whole file: declaration lines, variableStep, fixedStep and bedGraph lines.
#include "FuzzTrack.h"

#include "formats/wig/WigParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WigParser full(everyField(WigParser::schema().size()));
    WigParser bare({});
    parseTrack(data, size, full, bare);
    return 0;
}
