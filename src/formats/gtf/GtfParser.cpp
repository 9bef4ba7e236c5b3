#include "formats/gtf/GtfParser.h"

namespace {
enum Column { Chromosome, Source, Type, Start, End, Score, Strand, Frame, Attributes, ColumnCount };
enum Field { SourceField, FeatureField, ScoreField, StrandField, FrameField };

QString invalid(const char* what, const ByteRange& text) {
    return QStringLiteral("invalid %1 '%2'").arg(QLatin1String(what), text.text());
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

GtfParser::GtfParser(QHash<QByteArray, int> attributeFields, const QList<int>& fields)
    : LineParser(FixedFieldCount + attributeFields.size(), fields),
      m_attributeFields(std::move(attributeFields)) {}

VkFieldList GtfParser::schema(const QVector<QByteArray>& attributeKeys) {
    VkFieldList fields = {VkField(SourceField, "Source", "SOURCE", ValueType::String),
                          VkField(FeatureField, "Feature", "FEATURE", ValueType::String),
                          VkField(ScoreField, "Score", "SCORE", ValueType::Float64),
                          VkField(StrandField, "Strand", "STRAND", ValueType::String),
                          VkField(FrameField, "Frame", "FRAME", ValueType::Int)};
    for (const QByteArray& key : attributeKeys)
        fields.append(VkField(fields.size(), key, key, ValueType::String));
    return fields;
}

ByteRange GtfParser::attributeColumn(const char* line, int length) {
    ByteRange columns[ColumnCount];
    const int found = LineSplit::split(line, length, '\t', columns, ColumnCount);
    return found == ColumnCount ? columns[Attributes] : ByteRange();
}

void GtfParser::splitAttributes(const ByteRange& column, std::vector<Attribute>& attributes) {
    attributes.clear();
    const char* p = column.data;
    const char* end = column.data + column.size;
    while (p < end) {
        while (p < end && (isBlank(*p) || *p == ';'))
            ++p;
        const char* key = p;
        while (p < end && !isBlank(*p) && *p != ';')
            ++p;
        const ByteRange name{key, int(p - key)};
        while (p < end && isBlank(*p))
            ++p;
        ByteRange value;
        if (p < end && *p == '"') {
            const char* open = ++p;
            while (p < end && *p != '"')
                ++p;
            value = {open, int(p - open)};
            // Past the closing quote, up to the separator.
            while (p < end && *p != ';')
                ++p;
        } else {
            const char* begin = p;
            while (p < end && *p != ';')
                ++p;
            value = ByteRange{begin, int(p - begin)}.trimmed();
        }
        if (!name.isEmpty())
            attributes.emplace_back(name, value);
    }
}

LineParser::Outcome GtfParser::parse(const char* line, int length, VkFeature& feature, QString* reason) {
    if (isHeaderLine(line, length))
        return Skip;
    ByteRange columns[ColumnCount];
    const int found = LineSplit::split(line, length, '\t', columns, ColumnCount);
    if (found != ColumnCount && found != ColumnCount - 1) {
        *reason = QStringLiteral("expected 9 tab-separated columns, found %1").arg(found);
        return Malformed;
    }
    int32_t start = 0;
    int32_t end = 0;
    if (columns[Chromosome].isEmpty()) {
        *reason = QStringLiteral("empty chromosome");
        return Malformed;
    }
    if (!readPosition(columns[Start], "start", 1, &start, reason) ||
        !readPosition(columns[End], "end", INT32_MIN, &end, reason))
        return Malformed;
    if (end < start) {
        *reason = QStringLiteral("end %1 is before start %2").arg(end).arg(start);
        return Malformed;
    }
    feature.setSegment(VkSegment(intern(columns[Chromosome].data, columns[Chromosome].size), start - 1, end));
    if (!readFixedFields(columns, feature, reason))
        return Malformed;
    if (found == ColumnCount && wantsAny())
        readAttributes(columns[Attributes], feature);
    return Record;
}

bool GtfParser::readFixedFields(const ByteRange* columns, VkFeature& feature, QString* reason) {
    // Score, strand and frame are checked whether wanted or not, so every read of a malformed line
    // fails alike.
    double score = PVariant::MissingFloat64;
    if (!columns[Score].equals(".") && !columns[Score].toDouble(&score)) {
        *reason = invalid("score", columns[Score]);
        return false;
    }
    const ByteRange& strand = columns[Strand];
    if (!strand.equals("+") && !strand.equals("-") && !strand.equals(".") && !strand.equals("?")) {
        *reason = invalid("strand", strand);
        return false;
    }
    int32_t frame = PVariant::MissingInt;
    if (!columns[Frame].equals(".") && (!columns[Frame].toInt32(&frame) || frame < 0 || frame > 2)) {
        *reason = invalid("frame", columns[Frame]);
        return false;
    }
    PVariantVector& values = feature.values();
    if (wants(SourceField))
        values[SourceField] = PVariant(intern(columns[Source].data, columns[Source].size));
    if (wants(FeatureField))
        values[FeatureField] = PVariant(intern(columns[Type].data, columns[Type].size));
    if (wants(ScoreField))
        values[ScoreField] = PVariant(score);
    if (wants(StrandField))
        values[StrandField] = PVariant(intern(strand.data, strand.size));
    if (wants(FrameField))
        values[FrameField] = PVariant(frame);
    return true;
}

void GtfParser::readAttributes(const ByteRange& column, VkFeature& feature) {
    splitAttributes(column, m_attributes);
    PVariantVector& values = feature.values();
    for (const Attribute& attribute : m_attributes) {
        const auto found = m_attributeFields.constFind(attribute.first.view());
        if (found == m_attributeFields.constEnd() || !wants(found.value()))
            continue;
        PVariant& value = values[found.value()];
        if (value.isValid())
            value = PVariant(value.bytes() + ',' + attribute.second.view());
        else
            value = PVariant(attribute.second.bytes());
    }
}
