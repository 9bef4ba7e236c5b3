#pragma once

#include "FuzzLines.h"

#include "formats/track/LineParser.h"

#include <memory>

// Every field of a track parser's schema.
inline QList<int> everyField(int fieldCount) {
    QList<int> fields;
    for (int idx = 0; idx < fieldCount; ++idx)
        fields.append(idx);
    return fields;
}

// Parses the lines of a track as its readers do until one is malformed: with every field asked
// for (and each record made again from its line, as the in-memory index does), and with none,
// as the index build does.
inline void parseTrack(const uint8_t* data, size_t size, LineParser& full, LineParser& bare) {
    FuzzLines lines(data, size);
    QString reason;
    int length = 0;
    while (const char* line = lines.next(&length)) {
        VkFeature feature(VkSegment(), PVariantVector(full.fieldCount()));
        const LineParser::Outcome outcome = full.parse(line, length, feature, &reason);
        if (outcome == LineParser::Malformed)
            return;
        if (outcome == LineParser::Record) {
            VkFeature again(VkSegment(), PVariantVector(full.fieldCount()));
            full.reparse(line, length, feature.segment(), again, &reason);
        }
        VkFeature bareFeature(VkSegment(), PVariantVector(bare.fieldCount()));
        bare.parse(line, length, bareFeature, &reason);
    }
}
