#include "meta/VkOptionsIO.h"

#include "meta/VkMetaOptionsBase.h"
#include "meta/VkMetaRegistry.h"

namespace {

VkOptionsValue fail(QString* error, const QString& message) {
    if (error)
        *error = message;
    return VkOptionsValue();
}

int intOr(const PVariantMap& map, const char* key, int fallback) {
    bool ok = false;
    const int value = map.value(key).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

PVariant VkOptionsIO::write(const VkOptionsValue& record) {
    return record.isNull() ? PVariant() : record.meta()->write(*record.data());
}

VkOptionsValue VkOptionsIO::read(const PVariant& value, QString* error) {
    if (value.type() != ValueType::KeyValuePairs)
        return fail(error, QStringLiteral("Option record is not a map"));
    const PVariantMap& map = value.map();
    const QString className = QString::fromUtf8(map.value("className").bytes());
    const VkMetaOptionsBase* meta = VkMetaRegistry::find(className);
    if (!meta)
        return fail(error, QStringLiteral("Unknown option class: %1").arg(className));
    const int version = intOr(map, "classVersion", 1);
    const int dbId = intOr(map, "dbId", -1);
    const int dbGroupId = intOr(map, "dbGroupId", -1);
    const PVariant fieldsValue = map.value("fields");
    if (fieldsValue.type() != ValueType::KeyValuePairs)
        return fail(error, QStringLiteral("Fields of option record %1 are not a map").arg(className));
    PVariantMap fields = fieldsValue.map();
    if (version < meta->classVersion() && meta->hasUpgrade() && !meta->upgrade(version, fields))
        return fail(
            error,
            QStringLiteral("Could not upgrade option record %1 from version %2").arg(className).arg(version));
    VkOptionsValue record(meta->create());
    meta->readFields(*record.data(), fields, {});
    if (dbId >= 0) {
        record.setDbId(dbId);
        record.setDbGroupId(dbGroupId);
    }
    return record;
}
