#pragma once

#include "formats/track/LineParser.h"
#include "source/model/VkField.h"

#include <QHash>

#include <utility>
#include <vector>

// Lines of a GTF file: nine tab-separated columns whose 1-based, inclusive start and end become a
// 0-based, half-open segment. Source, Feature, Score, Strand and Frame are fields, and so is each
// attribute key the file was found to use (a key given twice on a line keeps both values, joined
// by ","). Comments, "track" and "browser" lines and blank lines are skipped.
class GtfParser : public LineParser {
public:
    using Attribute = std::pair<ByteRange, ByteRange>;
    // Source, Feature, Score, Strand and Frame come before the attributes.
    static constexpr int FixedFieldCount = 5;

    // attributeFields: the field index of each attribute key.
    GtfParser(QHash<QByteArray, int> attributeFields, const QList<int>& fields);

    // The fixed fields followed by one String field per attribute key, in the order given.
    static VkFieldList schema(const QVector<QByteArray>& attributeKeys);
    // The key and value pairs of an attribute column ("gene_id \"G1\"; exon_number 2;"), the quotes
    // of quoted values left out.
    static void splitAttributes(const ByteRange& column, std::vector<Attribute>& attributes);
    // The attribute column of a data line; empty for a line without one.
    static ByteRange attributeColumn(const char* line, int length);

    Outcome parse(const char* line, int length, VkFeature& feature, QString* reason) override;

private:
    bool readFixedFields(const ByteRange* columns, VkFeature& feature, QString* reason);
    void readAttributes(const ByteRange& column, VkFeature& feature);

    QHash<QByteArray, int> m_attributeFields;
    std::vector<Attribute> m_attributes;
};
