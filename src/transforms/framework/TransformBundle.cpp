#include "transforms/framework/TransformBundle.h"

#include "meta/Json.h"
#include "source/registry/VkSourceTypeRegistry.h"
#include "transforms/framework/FnTransformSourceTypeManager.h"
#include "transforms/framework/TransformRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace TransformBundle {

namespace {

// Bundles are a few kilobytes; refuse to read a huge file named like one.
constexpr qint64 kMaxBundleBytes = 64 << 20;

QString resolved(const QString& input, const QString& folder) {
    if (input.contains(QLatin1String("://")) || input.startsWith(QLatin1String("[memory]")) ||
        QDir::isAbsolutePath(input))
        return input;
    return folder + QLatin1Char('/') + input;
}

FnTransformPtr unpackObject(const PVariantMap& bundle, const QString& folder, QString* error);

VkSourcePtr openInput(const PVariant& input, const QString& folder, QString* error) {
    if (input.type() == ValueType::KeyValuePairs) {
        FnTransformPtr nested = unpackObject(input.map(), folder, error);
        return nested ? FnTransformSourceTypeManager::sourceFor(nested) : nullptr;
    }
    const QString path = resolved(input.toQString(), folder);
    VkSourcePtr source = VkSourceTypeRegistry::instance().open(path);
    if (!source->isValid()) {
        *error = QStringLiteral("Input %1 of the bundle is not valid: %2").arg(path, source->errorText());
        return nullptr;
    }
    return source;
}

FnTransformPtr unpackObject(const PVariantMap& bundle, const QString& folder, QString* error) {
    const QString name = bundle.value("name").toQString();
    const PVariant options = bundle.value("options");
    QString cause;
    FnTransformPtr transform =
        options.type() == ValueType::KeyValuePairs
            ? TransformRegistry::instance().createTransform(name, Json::write(options, Json::Style::Compact),
                                                            QStringLiteral("json"), &cause)
            : nullptr;
    if (!transform) {
        *error = QStringLiteral("Unable to unbundle transform: ") + name;
        return nullptr;
    }
    if (!transform->isAvailable()) {
        transform->open(error);
        return nullptr;
    }
    QList<VkSourcePtr> inputs;
    const PVariant list = bundle.value("inputs");
    for (int i = 0; i < list.size(); ++i) {
        VkSourcePtr input = openInput(list.at(i), folder, error);
        if (!input)
            return nullptr;
        inputs << input;
    }
    return transform->setInputs(inputs, error) ? transform : nullptr;
}

} // namespace

FnTransformPtr unpack(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxBundleBytes) {
        *error = QStringLiteral("Unable to open file: ") + path;
        return nullptr;
    }
    PVariant bundle;
    if (!Json::read(file.readAll(), bundle, error))
        return nullptr;
    if (bundle.type() != ValueType::KeyValuePairs) {
        *error = QStringLiteral("Unable to unbundle transform: ") + bundle.toQString();
        return nullptr;
    }
    return unpackObject(bundle.map(), QFileInfo(path).absolutePath(), error);
}

} // namespace TransformBundle
