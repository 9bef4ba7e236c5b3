// The GTF parser on a whole file, with the attribute keys its first lines use as the source type
// finds them.
#include "FuzzTrack.h"

#include "formats/gtf/GtfParser.h"
#include "formats/gtf/GtfSourceTypeManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzLines lines(data, size);
    QHash<QByteArray, int> attributeFields;
    std::vector<GtfParser::Attribute> attributes;
    int length = 0;
    for (int i = 0; i < GtfSourceTypeManager::AttributeScanLines; ++i) {
        const char* line = lines.next(&length);
        if (!line)
            break;
        if (GtfParser::isHeaderLine(line, length))
            continue;
        GtfParser::splitAttributes(GtfParser::attributeColumn(line, length), attributes);
        for (const GtfParser::Attribute& attribute : attributes)
            if (!attributeFields.contains(attribute.first.view()))
                attributeFields.insert(attribute.first.bytes(),
                                       GtfParser::FixedFieldCount + attributeFields.size());
    }
    GtfParser full(attributeFields, everyField(GtfParser::FixedFieldCount + attributeFields.size()));
    GtfParser bare(attributeFields, {});
    parseTrack(data, size, full, bare);
    return 0;
}
