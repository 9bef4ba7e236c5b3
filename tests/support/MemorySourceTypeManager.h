#pragma once

#include "source/registry/LocalSourceTypeManager.h"

// A source kind for tests: "mem:N" is a source of N features, two per 1 kb on chromosomes "1"
// and "2" alternately in blocks of 100, with the fields DP (Int, the feature's ordinal) and NAME
// (String "f<ordinal>"). "mem:N:fail@K" fails with "broken record K" when feature K is read.
class MemorySourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 99;
    // Registers the kind once per process.
    static void registerOnce();

    int typeId() const override { return TypeId; }
    QString typeName() const override { return QStringLiteral("Memory"); }
    QStringList suffixes() const override { return {}; }
    bool handles(const QString& path) const override { return path.startsWith(QLatin1String("mem:")); }
    bool describe(VkSource& source, QString* error) const override;

    // The feature at an ordinal of a source, all fields filled.
    static VkFeature feature(qint64 ordinal);

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override;
};
