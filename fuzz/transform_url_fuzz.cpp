// Feeds arbitrary bytes to the transform URL and bundle parsers: as the text after "transform://"
// (name, encoding and Base64, compressed or JSON options), and as a bundle's JSON whose transform is
// made from its name and options. Every transform made is written back to a URL and parsed again,
// which must give the same options. Inputs are not opened: that is the source registry's part.
#include "meta/Json.h"
#include "transforms/framework/TransformRegistry.h"
#include "transforms/framework/TransformUrl.h"

#include <cstdint>
#include <cstdlib>

namespace {

void roundTrip(const FnTransformPtr& transform) {
    for (int encoding : {0, 1}) {
        TransformUrl::Parsed again;
        QString error;
        if (!TransformUrl::parse(transform->makeUrl(encoding), &again, &error))
            std::abort();
        const FnTransformPtr copy = TransformRegistry::instance().createTransform(
            again.name, again.optionsJson, again.encoding, &error);
        if (!copy || copy->optionsJson() != transform->optionsJson())
            std::abort();
    }
}

void parseUrl(const QByteArray& text) {
    TransformUrl::Parsed parsed;
    QString error;
    if (!TransformUrl::parse(QStringLiteral("transform://") + QString::fromUtf8(text), &parsed, &error))
        return;
    if (const FnTransformPtr transform = TransformRegistry::instance().createTransform(
            parsed.name, parsed.optionsJson, parsed.encoding, &error))
        roundTrip(transform);
}

void parseBundle(const QByteArray& text) {
    PVariant bundle;
    if (!Json::read(text, bundle) || bundle.type() != ValueType::KeyValuePairs)
        return;
    const PVariant options = bundle.map().value("options");
    if (options.type() != ValueType::KeyValuePairs)
        return;
    QString error;
    if (const FnTransformPtr transform = TransformRegistry::instance().createTransform(
            bundle.map().value("name").toQString(), Json::write(options, Json::Style::Compact),
            QStringLiteral("json"), &error))
        roundTrip(transform);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    const QByteArray text(reinterpret_cast<const char*>(data), int(size));
    parseUrl(text);
    parseBundle(text);
    return 0;
}
