#pragma once

#include "formats/track/LineParser.h"
#include "source/model/VkField.h"

// Lines of a BED file, BED3 to BED12: chromosome, start and end (already 0-based, half-open),
// then the optional columns as fields. Every data line must have as many columns as the first;
// "track" and "browser" lines, comments and blank lines are skipped.
class BedParser : public LineParser {
public:
    // The most columns that carry fields; any further columns are read past.
    static constexpr int MaxColumns = 12;

    // columns: the column count of the file's data lines (3 or more).
    BedParser(int columns, const QList<int>& fields);

    // Name, Score, Strand, ThickStart, ThickEnd, ItemRgb, BlockCount, BlockSizes and BlockStarts,
    // as far as the columns go.
    static VkFieldList schema(int columns);

    Outcome parse(const char* line, int length, VkFeature& feature, QString* reason) override;

private:
    // Checks a column and, when its field is wanted, sets the field.
    bool readField(int column, const ByteRange& text, VkFeature& feature, QString* reason);
    bool readValue(int column, const ByteRange& text, PVariant& value, QString* reason);

    int m_columns;
};
