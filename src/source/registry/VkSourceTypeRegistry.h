#pragma once

#include "source/values/PVariantMap.h"
#include "source/registry/VkSource.h"

#include <QHash>
#include <QList>
#include <QReadWriteLock>
#include <QString>

#include <memory>
#include <vector>

class VkSourceTypeManager;

// The process-wide registry of source kinds. It opens a path, URL or stored description with
// the first manager, in registry order, that claims it.
class VkSourceTypeRegistry {
public:
    static VkSourceTypeRegistry& instance();

    // The format name written for a type id; empty for ids without one.
    static QString formatName(int typeId);
    // The type id of a format text: the first known name it contains, in any case; -1 for none.
    static int typeIdForFormatText(const QString& text);

    VkSourceTypeManager* managerForTypeId(int typeId) const;
    QList<VkSourceTypeManager*> managers() const;
    VkSourceTypeManager* managerForPath(const QString& path) const;

    // Always returns a source; an unclaimed or failed one carries its error text.
    VkSourcePtr open(const QString& path) const;
    // Opens a stored source description; relative paths are taken from baseFolder.
    VkSourcePtr openDescription(const PVariantMap& description, const QString& baseFolder) const;

    // Puts a manager in place of the one with the same type id, or at the end.
    void registerManager(std::unique_ptr<VkSourceTypeManager> manager);

    // Named folders, such as the shared data folder "Sys".
    void setPathAlias(const QString& alias, const QString& folder);
    QString pathAlias(const QString& alias) const;

private:
    VkSourceTypeRegistry();
    ~VkSourceTypeRegistry();
    VkSourcePtr openWith(VkSourceTypeManager* manager, const QString& path) const;

    mutable QReadWriteLock m_lock;
    std::vector<std::unique_ptr<VkSourceTypeManager>> m_managers;
    QHash<QString, QString> m_aliases;
};
