#include "transforms/framework/TransformRegistry.h"

#include "meta/Json.h"
#include "meta/VkMetaOptionsBase.h"
#include "transforms/framework/UnavailableTransform.h"

namespace {

// Second names by which transforms are known, each pointing at a registered name.
const QHash<QString, QString>& aliases() {
    static const QHash<QString, QString> table = {
        {"altratiotransform", "altratio"},
        {"appendentityfieldstransform", "appendentityfields"},
        {"appendrecordstransform", "appendrecords"},
        {"sourcebuffertransform", "sourcebuffer"},
        {"stringgenotypetransform", "stringgenotypefield"},
        {"splitfeatureonlisttransform", "splitfeatureonlist"},
        {"filterbyidlisttransform", "filterbyidlist"},
        {"sampletolocustransform", "sampletolocus"},
        {"flattensamplefieldstransform", "flattensamplefields"},
        {"errortransform", "error"},
        {"fillsamplestransform", "fillsamples"},
        {"filterbytsfsampletransform", "filterbytsfsample"},
        {"leftaligntransform", "leftalign"},
        {"liftoversourcetransform", "liftoversource"},
        {"mergevariantstransform", "mergevariants"},
        {"familygenotypemultiallelicsplittransform", "familygenotypemultiallelicsplit"},
        {"populationgenotypemultiallelicsplitoptions", "populationgenotypemultiallelicsplit"},
        {"fullyflattenedmultiallelicsplittransform", "fullyflattenedmultiallelicsplit"},
        {"replaceentityfieldstransform", "replaceentityfields"},
        {"subsetontracktransform", "subsetontrack"},
        {"variantcollapsingtransform", "variantcollapsing"},
    };
    return table;
}

} // namespace

TransformRegistry& TransformRegistry::instance() {
    static TransformRegistry registry;
    return registry;
}

void TransformRegistry::add(const QString& name, Factory factory) {
    QWriteLocker locker(&m_lock);
    m_factories.insert(name.toLower(), std::move(factory));
}

TransformRegistry::Factory TransformRegistry::factoryFor(const QString& name) const {
    const QString key = name.toLower();
    QReadLocker locker(&m_lock);
    Factory factory = m_factories.value(aliases().value(key, key));
    if (!factory)
        factory = UnavailableTransform::factoryFor(aliases().value(key, key));
    return factory;
}

bool TransformRegistry::contains(const QString& name) const {
    return bool(factoryFor(name));
}

FnTransformPtr TransformRegistry::createTransform(const QString& name, const QByteArray& optionsJsonText,
                                                  const QString& encoding, QString* error) const {
    PVariant options;
    QString parseError;
    if (!Json::read(optionsJsonText, options, &parseError) || options.type() != ValueType::KeyValuePairs) {
        *error = QStringLiteral("Invalid %2 encoded options data for %1 transform. %3")
                     .arg(name, encoding, parseError.isEmpty() ? QStringLiteral("Not a JSON object") : parseError);
        return nullptr;
    }
    const Factory factory = factoryFor(name);
    if (!factory) {
        *error = QStringLiteral("Unrecognized transform: %1").arg(name);
        return nullptr;
    }
    return factory(options.map());
}

VkOptionsValue readTransformOptions(const VkMetaOptionsBase* family, const PVariantMap& options) {
    VkOptionsValue record(family->create());
    const PVariant fields = options.value("fields");
    family->readFields(*record.data(), fields.type() == ValueType::KeyValuePairs ? fields.map() : options, {});
    return record;
}
