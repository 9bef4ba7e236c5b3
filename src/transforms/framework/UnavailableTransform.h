#pragma once

#include "source/values/PVariantMap.h"
#include "transforms/framework/TransformRegistry.h"

// Stands for a transform whose name this program knows but which it cannot compute. Its URL
// parses and keeps its options as given, so it can be printed and passed on; opening it fails
// with a message saying so.
class UnavailableTransform : public FnTransform {
public:
    UnavailableTransform(QString name, int minInputCount, PVariantMap options);

    // A factory for a known name (lower case) that no registered transform has taken; null for
    // a name this program does not know.
    static TransformRegistry::Factory factoryFor(const QString& lowerName);

    QString name() const override { return m_name; }
    int minInputCount() const override { return m_minInputCount; }
    bool isAvailable() const override { return false; }
    QByteArray optionsJson() const override;
    QStringList inputUrls() const override;
    void setInputUrls(const QStringList& urls) override;
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

    // The reason given for every use.
    QString reason() const;

private:
    QString m_name;
    int m_minInputCount;
    PVariantMap m_options;
};
