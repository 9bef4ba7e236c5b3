#pragma once

#include <QString>
#include <QStringList>

class VkMetaOptionsBase;

// Process-wide table of option families by class name, filled as the families' metas are built
// at start-up; reading a record from JSON finds its family here.
class VkMetaRegistry {
public:
    // Returns true so that it can initialise a static; a second family of the same name is ignored.
    static bool add(const VkMetaOptionsBase* meta);
    // Null when no family has the name.
    static const VkMetaOptionsBase* find(const QString& className);
    static QStringList classNames();
};
