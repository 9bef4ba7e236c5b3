#pragma once

#include "source/registry/LocalSourceTypeManager.h"

#include <functional>

// Claims the paths of a kind this build cannot read, so that users get a message naming the
// kind instead of "unrecognized type". Remote and database kinds claim URL schemes or suffixes.
class PlaceholderSourceTypeManager : public LocalSourceTypeManager {
public:
    using ContentCheck = std::function<bool(const QString& path)>;

    static PlaceholderSourceTypeManager* local(int typeId, const char* typeName, QStringList suffixes,
                                               ContentCheck check = nullptr, QStringList prefixes = {});
    static PlaceholderSourceTypeManager* remote(int typeId, const char* typeName, QStringList prefixes,
                                                const char* kindDescription, QStringList suffixes = {});

    int typeId() const override { return m_typeId; }
    QString typeName() const override { return m_typeName; }
    QStringList suffixes() const override { return m_suffixes; }
    bool handles(const QString& path) const override;
    bool describe(VkSource& source, QString* error) const override;

private:
    PlaceholderSourceTypeManager(int typeId, QString typeName, QStringList suffixes, QStringList prefixes,
                                 ContentCheck check, QString reason);

    int m_typeId;
    QString m_typeName;
    QStringList m_suffixes;
    QStringList m_prefixes;
    ContentCheck m_check;
    QString m_reason;
};
