#include "formats/tsf/TsfSourceProperties.h"

#include "formats/tsf/TsfSourceResource.h"
#include "meta/Json.h"

namespace TsfSourceProperties {

bool set(const VkSource& source, const QByteArray& key, const QString& value, QString* error) {
    const auto* resource = source.resource<TsfSourceResource>();
    if (!resource) {
        *error = QStringLiteral("%1 is not a TSF file").arg(source.path());
        return false;
    }
    TsfDatabase db;
    if (!db.open(resource->databasePath, TsfDatabase::Mode::ReadWrite, error))
        return false;
    TsfStatement row(db, "SELECT source_meta FROM source WHERE id = ?");
    row.bind(1, resource->sourceId);
    if (!row.next()) {
        *error = row.hasError() ? row.errorText()
                                : QStringLiteral("The source is missing from %1").arg(source.path());
        return false;
    }
    PVariant meta;
    if (!Json::read(row.columnText(0), meta) || meta.type() != ValueType::KeyValuePairs)
        meta = PVariant(PVariantMap());
    PVariantMap properties = meta.map();
    properties.insert(key, PVariant(value));
    return TsfCatalog(db).updateSourceMeta(resource->sourceId, Json::write(PVariant(properties)), error);
}

} // namespace TsfSourceProperties
