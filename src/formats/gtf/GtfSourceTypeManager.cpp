#include "formats/gtf/GtfSourceTypeManager.h"

#include "formats/gtf/GtfParser.h"
#include "formats/text/TextFileReader.h"
#include "formats/track/LineTrack.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QSet>

namespace {

class GtfTrack : public LineTrack {
public:
    GtfTrack(const QString& path, const QVector<QByteArray>& attributeKeys) : LineTrack(path, true) {
        for (const QByteArray& key : attributeKeys)
            m_attributeFields.insert(key, GtfParser::FixedFieldCount + m_attributeFields.size());
    }
    std::unique_ptr<LineParser> parser(const QList<int>& fields) const override {
        return std::make_unique<GtfParser>(m_attributeFields, fields);
    }

private:
    QHash<QByteArray, int> m_attributeFields;
};

bool scanAttributeKeys(const QString& path, QVector<QByteArray>* keys, QString* error) {
    GtfTrack probe(path, {});
    TextFile::Reader reader;
    if (!probe.open(reader, error))
        return false;
    QSet<QByteArray> seen;
    std::vector<GtfParser::Attribute> attributes;
    int length = 0;
    for (int i = 0; i < GtfSourceTypeManager::AttributeScanLines; ++i) {
        const char* line = reader.nextLine(&length);
        if (!line)
            break;
        if (GtfParser::isHeaderLine(line, length))
            continue;
        GtfParser::splitAttributes(GtfParser::attributeColumn(line, length), attributes);
        for (const GtfParser::Attribute& attribute : attributes) {
            if (!seen.contains(attribute.first.view())) {
                seen.insert(attribute.first.bytes());
                keys->append(attribute.first.bytes());
            }
        }
    }
    *error = reader.errorText();
    return error->isEmpty();
}

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<GtfSourceTypeManager>());
    return true;
}();

} // namespace

bool GtfSourceTypeManager::describe(VkSource& source, QString* error) const {
    QVector<QByteArray> keys;
    if (!describeFile(source, FeatureTypeName::Interval, error) ||
        !scanAttributeKeys(source.path(), &keys, error))
        return false;
    auto track = QSharedPointer<GtfTrack>::create(source.path(), keys);
    if (!track->probe(ProbeLines, error))
        return false;
    source.info().schema = GtfParser::schema(keys);
    attachTrack(source, track);
    return true;
}
