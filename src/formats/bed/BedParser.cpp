#include "formats/bed/BedParser.h"

#include <algorithm>
#include <cstring>

namespace {
enum Column { Name = 3, Score, Strand, ThickStart, ThickEnd, ItemRgb, BlockCount, BlockSizes, BlockStarts };

QString invalid(const char* what, const ByteRange& text) {
    return QStringLiteral("invalid %1 '%2'").arg(QLatin1String(what), text.text());
}

// A comma-separated list of whole numbers; BED writers often end it with a comma.
bool readIntList(const ByteRange& text, QVector<int32_t>& values) {
    int begin = 0;
    while (begin < text.size) {
        const char* comma =
            static_cast<const char*>(std::memchr(text.data + begin, ',', size_t(text.size - begin)));
        const int end = comma ? int(comma - text.data) : text.size;
        int32_t value = 0;
        if (!ByteRange{text.data + begin, end - begin}.toInt32(&value))
            return false;
        values.append(value);
        begin = end + 1;
    }
    return true;
}
} // namespace

BedParser::BedParser(int columns, const QList<int>& fields)
    : LineParser(std::min(columns, MaxColumns) - 3, fields), m_columns(columns) {}

VkFieldList BedParser::schema(int columns) {
    static const VkFieldList all = {VkField(0, "Name", "NAME", ValueType::String),
                                    VkField(1, "Score", "SCORE", ValueType::Float64),
                                    VkField(2, "Strand", "STRAND", ValueType::String),
                                    VkField(3, "ThickStart", "THICKSTART", ValueType::Int),
                                    VkField(4, "ThickEnd", "THICKEND", ValueType::Int),
                                    VkField(5, "ItemRgb", "ITEMRGB", ValueType::String),
                                    VkField(6, "BlockCount", "BLOCKCOUNT", ValueType::Int),
                                    VkField(7, "BlockSizes", "BLOCKSIZES", ValueType::IntArray),
                                    VkField(8, "BlockStarts", "BLOCKSTARTS", ValueType::IntArray)};
    return all.mid(0, std::min(columns, MaxColumns) - 3);
}

LineParser::Outcome BedParser::parse(const char* line, int length, VkFeature& feature, QString* reason) {
    if (isHeaderLine(line, length))
        return Skip;
    ByteRange columns[MaxColumns];
    const int found = LineSplit::split(line, length, '\t', columns, MaxColumns);
    if (found != m_columns) {
        *reason = QStringLiteral("expected %1 tab-separated columns, found %2").arg(m_columns).arg(found);
        return Malformed;
    }
    int32_t start = 0;
    int32_t end = 0;
    if (columns[0].isEmpty()) {
        *reason = QStringLiteral("empty chromosome");
        return Malformed;
    }
    if (!readPosition(columns[1], "start", 0, &start, reason) ||
        !readPosition(columns[2], "end", INT32_MIN, &end, reason))
        return Malformed;
    if (end < start) {
        *reason = QStringLiteral("end %1 is before start %2").arg(end).arg(start);
        return Malformed;
    }
    feature.setSegment(VkSegment(intern(columns[0].data, columns[0].size), start, end));
    // Every column is checked, wanted or not, so that any read of a malformed line fails alike; only
    // the block lists, which take memory, are left alone unless asked for.
    const int last = std::min(m_columns, MaxColumns);
    for (int column = Name; column < last; ++column)
        if ((wants(column - Name) || column < BlockSizes) &&
            !readField(column, columns[column], feature, reason))
            return Malformed;
    return Record;
}

bool BedParser::readField(int column, const ByteRange& text, VkFeature& feature, QString* reason) {
    PVariant value;
    if (!readValue(column, text, value, reason))
        return false;
    if (wants(column - Name))
        feature.values()[column - Name] = std::move(value);
    return true;
}

bool BedParser::readValue(int column, const ByteRange& text, PVariant& value, QString* reason) {
    switch (column) {
    case Name:
        if (wants(column - Name))
            value = PVariant(text.bytes());
        return true;
    case Score: {
        double score = 0;
        if (text.equals(".")) {
            value = PVariant(PVariant::MissingFloat64);
            return true;
        }
        if (!text.toDouble(&score)) {
            *reason = invalid("score", text);
            return false;
        }
        value = PVariant(score);
        return true;
    }
    case Strand:
        if (!text.equals("+") && !text.equals("-") && !text.equals(".")) {
            *reason = invalid("strand", text);
            return false;
        }
        value = PVariant(intern(text.data, text.size));
        return true;
    case ThickStart:
    case ThickEnd:
    case BlockCount: {
        int32_t number = 0;
        if (!text.toInt32(&number)) {
            *reason = invalid(column == BlockCount ? "block count" : "thick position", text);
            return false;
        }
        value = PVariant(number);
        return true;
    }
    case ItemRgb:
        value = PVariant(intern(text.data, text.size));
        return true;
    default: {
        QVector<int32_t> list;
        if (!readIntList(text, list)) {
            *reason = invalid(column == BlockSizes ? "block sizes" : "block starts", text);
            return false;
        }
        value = PVariant(std::move(list));
        return true;
    }
    }
}
