#include "support/MemorySourceTypeManager.h"

#include "source/registry/VkSourceTypeRegistry.h"

#include <QStringList>

namespace {
struct MemoryLayout {
    qint64 count = 0;
    qint64 failAt = -1;
};

bool parseLayout(const QString& path, MemoryLayout* layout) {
    const QStringList parts = path.mid(4).split(QLatin1Char(':'));
    bool ok = false;
    layout->count = parts.value(0).toLongLong(&ok);
    if (!ok || layout->count < 0)
        return false;
    if (parts.size() > 1 && parts[1].startsWith(QLatin1String("fail@")))
        layout->failAt = parts[1].mid(5).toLongLong(&ok);
    return ok;
}

class MemoryCursor : public FeatureCursor {
public:
    MemoryCursor(MemoryLayout layout, qint64 offset, QList<int> fields)
        : m_layout(layout), m_next(offset), m_fields(std::move(fields)) {}

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        for (int i = 0; i < maxCount && !atEnd(); ++i, ++m_next) {
            if (m_next == m_layout.failAt) {
                *error = QStringLiteral("broken record %1").arg(m_next);
                return false;
            }
            const VkFeature full = MemorySourceTypeManager::feature(m_next);
            VkFeature wanted(full.segment(), PVariantVector(full.size()));
            for (int idx : m_fields)
                wanted.setValue(idx, full.value(idx));
            batch.append(wanted);
        }
        return true;
    }
    bool atEnd() const override { return m_next >= m_layout.count; }
    int percentDone() const override { return m_layout.count ? int(100 * m_next / m_layout.count) : 100; }

private:
    MemoryLayout m_layout;
    qint64 m_next;
    QList<int> m_fields;
};

} // namespace

void MemorySourceTypeManager::registerOnce() {
    static const bool registered = [] {
        VkSourceTypeRegistry::instance().registerManager(std::make_unique<MemorySourceTypeManager>());
        return true;
    }();
    (void)registered;
}

bool MemorySourceTypeManager::describe(VkSource& source, QString* error) const {
    MemoryLayout layout;
    if (!parseLayout(source.path(), &layout)) {
        *error = QStringLiteral("%1 does not exist").arg(source.path());
        return false;
    }
    VkSourceInfo& info = source.info();
    info.name = source.path();
    info.locusCount = int32_t(layout.count);
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Variant);
    info.schema = {VkField(0, "Depth", "DP", ValueType::Int), VkField(1, "Name", "NAME", ValueType::String)};
    return true;
}

FeatureCursorPtr MemorySourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                               const QList<int>& fields, QString* error) const {
    MemoryLayout layout;
    if (!parseLayout(source->path(), &layout)) {
        *error = QStringLiteral("bad memory source");
        return nullptr;
    }
    return std::make_unique<MemoryCursor>(layout, offset, fields);
}

VkFeature MemorySourceTypeManager::feature(qint64 ordinal) {
    static const QByteArray chromosomes[] = {QByteArrayLiteral("1"), QByteArrayLiteral("2")};
    const QByteArray& chromosome = chromosomes[(ordinal / 100) % 2];
    const int32_t start = int32_t(ordinal / 2) * 1000 + int32_t(ordinal % 2) * 10;
    return VkFeature(VkSegment(chromosome, start, start + 1 + int32_t(ordinal % 3)),
                     {PVariant(int(ordinal)), PVariant(QByteArray("f") + QByteArray::number(ordinal))});
}
