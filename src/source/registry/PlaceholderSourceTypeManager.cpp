#include "source/registry/PlaceholderSourceTypeManager.h"

PlaceholderSourceTypeManager::PlaceholderSourceTypeManager(int typeId, QString typeName, QStringList suffixes,
                                                           QStringList prefixes, ContentCheck check,
                                                           QString reason)
    : m_typeId(typeId), m_typeName(std::move(typeName)), m_suffixes(std::move(suffixes)),
      m_prefixes(std::move(prefixes)), m_check(std::move(check)), m_reason(std::move(reason)) {}

PlaceholderSourceTypeManager* PlaceholderSourceTypeManager::local(int typeId, const char* typeName,
                                                                  QStringList suffixes, ContentCheck check,
                                                                  QStringList prefixes) {
    const QString name = QString::fromLatin1(typeName);
    return new PlaceholderSourceTypeManager(typeId, name, std::move(suffixes), std::move(prefixes),
                                            std::move(check),
                                            name + QStringLiteral(" sources are not supported yet: %1"));
}

PlaceholderSourceTypeManager* PlaceholderSourceTypeManager::remote(int typeId, const char* typeName,
                                                                   QStringList prefixes,
                                                                   const char* kindDescription,
                                                                   QStringList suffixes) {
    return new PlaceholderSourceTypeManager(
        typeId, QString::fromLatin1(typeName), std::move(suffixes), std::move(prefixes), nullptr,
        QString::fromLatin1(kindDescription) + QStringLiteral(" sources are not supported: %1"));
}

bool PlaceholderSourceTypeManager::handles(const QString& path) const {
    for (const QString& prefix : m_prefixes)
        if (path.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    if (!LocalSourceTypeManager::handles(path))
        return false;
    return !m_check || m_check(path);
}

bool PlaceholderSourceTypeManager::describe(VkSource& source, QString* error) const {
    *error = m_reason.arg(source.path());
    return false;
}
