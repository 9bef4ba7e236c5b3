#pragma once

#include "meta/families/SourceMetaOptions.h"
#include "source/model/ChromosomeOrder.h"
#include "source/model/VkField.h"

#include <QDateTime>

// Feature type names carried in coordInfo's featureType.
namespace FeatureTypeName {
inline constexpr char Variant[] = "Variant";
inline constexpr char VariantMap[] = "Variant Map";
inline constexpr char AlleleSequence[] = "Allele Sequence";
inline constexpr char DataSequence[] = "Data Sequence";
inline constexpr char Interval[] = "Interval";
} // namespace FeatureTypeName

// Where a source's coordinates live: the assembly and what the features cover.
struct VkCoordInfo {
    QString coordSysId;
    QString coverage;
    QString usageSpace;
    QString type;
    QString featureType;

    bool isEmpty() const;
    // Keys "coordSysId", "coverage", "usageSpace", "type", "featureType", each only when set.
    PVariantMap toMap() const;
    static VkCoordInfo fromMap(const PVariantMap& map);
    bool operator==(const VkCoordInfo& other) const;
    bool operator!=(const VkCoordInfo& other) const { return !(*this == other); }
};

// The description of one source: identity, counts, user-set documentation, coordinates and the
// schema. Counts and size are -1 while unknown.
class VkSourceInfo {
public:
    // The source description map, keys in the order "name", "url", "format", "entityCount",
    // "locusCount", "uuid", "folder", "size", "curated", "modified", "docInfo", "properties",
    // "coordInfo", "source", "schema", "stylesheet", each only when it has a value.
    PVariantMap toMap() const;
    // Fails, with the field's message, when a field of the schema does not read. "docInfo" may be
    // an option-record map or just its map of option values.
    static bool fromMap(const PVariantMap& map, VkSourceInfo* info, QString* error = nullptr);

    // Index in the schema of the field with this symbol; -1 when there is none.
    int fieldIndex(const QByteArray& symbol) const;
    // The field at idx, the segment pseudo-field for VkField::SegmentIdx, or null.
    const VkField* field(int32_t idx) const;
    // Takes the name, folder and size of the file at path.
    void describeFile(const QString& path);

    bool operator==(const VkSourceInfo& other) const;
    bool operator!=(const VkSourceInfo& other) const { return !(*this == other); }

    QString name;
    QString url;
    QString format;
    QString uuid;
    QString folder;
    qint64 size = -1;
    int32_t entityCount = -1;
    int32_t locusCount = -1;
    QDateTime curated;
    QDateTime modified;
    // The user-settable description. Written as its option-record map only when some option
    // differs from its default.
    SourceMetaOptions docInfo;
    PVariantMap properties;
    VkCoordInfo coordInfo;
    QString source;
    VkFieldList schema;
    // Display settings; its "StyleTx" entry carries the style.
    PVariantMap stylesheet;
    // The order of the chromosomes and whether features follow it. Known from the file, so it is
    // neither written into the description map nor compared.
    ChromosomeOrder chromosomeOrder;
};

Q_DECLARE_METATYPE(VkSourceInfo)
