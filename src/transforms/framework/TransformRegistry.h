#pragma once

#include "source/values/PVariantMap.h"
#include "transforms/framework/FnTransform.h"

#include <QHash>
#include <QReadWriteLock>

#include <functional>

// The process-wide table of transforms by lower-case name. Every transform class registers a
// factory once at start-up (TransformRegistration below); lookups take the read lock and may come
// from any thread.
class TransformRegistry {
public:
    using Factory = std::function<FnTransformPtr(const PVariantMap& options)>;

    static TransformRegistry& instance();

    // Enters the factory under name.toLower(), in place of any earlier one.
    void add(const QString& name, Factory factory);
    // Builds a transform from its name (in any case, or an alias) and the JSON text of its
    // options. Fails with "Invalid %2 encoded options data for %1 transform. %3" when the text is
    // not a JSON object, and with "Unrecognized transform: %1" for an unknown name.
    FnTransformPtr createTransform(const QString& name, const QByteArray& optionsJsonText,
                                   const QString& encoding, QString* error) const;
    bool contains(const QString& name) const;

private:
    TransformRegistry() = default;
    Factory factoryFor(const QString& name) const;

    mutable QReadWriteLock m_lock;
    QHash<QString, Factory> m_factories;
};

// The option record of a family read from a transform's options object: the record map its
// family writes, or just its "fields" map. Absent or unreadable options keep their defaults.
VkOptionsValue readTransformOptions(const VkMetaOptionsBase* family, const PVariantMap& options);

// Registers transform class T, built from a record of T::Options, from a static initialiser:
//     [[maybe_unused]] const TransformRegistration<AltRatioTransform> registration;
template <class T> struct TransformRegistration {
    TransformRegistration() {
        using Options = typename T::Options;
        const QString name = T(Options()).name();
        TransformRegistry::instance().add(name, [](const PVariantMap& options) {
            return std::make_shared<T>(Options(readTransformOptions(Options::staticMeta(), options)));
        });
    }
};
