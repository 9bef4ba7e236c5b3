#pragma once

#include "source/registry/LocalSourceTypeManager.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QHash>
#include <QMutex>

// A source kind for the writer tests: "table:<name>" is a source whose description and features a
// test defines under that name; with failAt >= 0, reading feature failAt fails with "broken record
// <failAt>". Readers fill only the fields they are asked for, as real readers do.
class TableSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 98;

    struct Table {
        VkSourceInfo info;
        VkFeatureList features;
        int failAt = -1;
    };

    // Defines (or redefines) a table and opens it through the registry.
    static VkSourcePtr define(const QString& name, const VkSourceInfo& info, const VkFeatureList& features,
                              int failAt = -1) {
        static const bool registered = [] {
            VkSourceTypeRegistry::instance().registerManager(std::make_unique<TableSourceTypeManager>());
            return true;
        }();
        (void)registered;
        {
            QMutexLocker locker(&mutex());
            tables().insert(name, Table{info, features, failAt});
        }
        return VkSourceTypeRegistry::instance().open(QStringLiteral("table:") + name);
    }

    static bool find(const QString& path, Table* table) {
        QMutexLocker locker(&mutex());
        const auto found = tables().constFind(path.mid(6));
        if (found == tables().constEnd())
            return false;
        *table = found.value();
        return true;
    }

    int typeId() const override { return TypeId; }
    QString typeName() const override { return QStringLiteral("Table"); }
    QStringList suffixes() const override { return {}; }
    bool handles(const QString& path) const override { return path.startsWith(QLatin1String("table:")); }

    bool describe(VkSource& source, QString* error) const override {
        Table table;
        if (!find(source.path(), &table)) {
            *error = QStringLiteral("%1 does not exist").arg(source.path());
            return false;
        }
        source.info() = table.info;
        source.info().locusCount = table.features.size();
        return true;
    }

protected:
    FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                          QString* error) const override {
        Table table;
        if (!find(source->path(), &table)) {
            *error = QStringLiteral("no such table");
            return nullptr;
        }
        return std::make_unique<Cursor>(table, offset, fields);
    }

private:
    static QHash<QString, Table>& tables() {
        static QHash<QString, Table> all;
        return all;
    }
    static QMutex& mutex() {
        static QMutex lock;
        return lock;
    }

    class Cursor : public FeatureCursor {
    public:
        Cursor(Table table, qint64 offset, QList<int> fields)
            : m_table(std::move(table)), m_next(offset), m_fields(std::move(fields)) {}

        bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
            for (int i = 0; i < maxCount && !atEnd(); ++i, ++m_next) {
                if (m_next == m_table.failAt) {
                    *error = QStringLiteral("broken record %1").arg(m_next);
                    return false;
                }
                const VkFeature& full = m_table.features.at(int(m_next));
                VkFeature wanted(full.segment(), PVariantVector(full.size()));
                for (int idx : m_fields)
                    wanted.setValue(idx, full.value(idx));
                batch.append(wanted);
            }
            return true;
        }
        bool atEnd() const override { return m_next >= m_table.features.size(); }

    private:
        Table m_table;
        qint64 m_next;
        QList<int> m_fields;
    };
};
