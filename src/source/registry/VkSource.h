#pragma once

#include "source/model/VkSourceInfo.h"

#include <QSharedPointer>
#include <QString>
#include <QStringList>

class VkResourceData;
class VkSourceTypeManager;

// An opened source: its description, the manager of its kind and the state its readers share.
// A source that failed to open has an error text; one that no manager claimed has no type.
class VkSource {
public:
    VkSource() = default;
    explicit VkSource(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    // The files the source reads: its own path, or every input of a source made from others, so
    // that no writer replaces a file it is reading.
    QStringList inputPaths() const { return m_inputPaths.isEmpty() ? QStringList{m_path} : m_inputPaths; }
    void setInputPaths(QStringList paths) { m_inputPaths = std::move(paths); }
    // The kind's type name ("VCF", "TSF1" ...); empty when no manager claimed the source.
    QString typeName() const;
    int typeId() const;
    VkSourceTypeManager* manager() const { return m_manager; }
    void setManager(VkSourceTypeManager* manager) { m_manager = manager; }

    const QString& errorText() const { return m_errorText; }
    void setErrorText(const QString& text) { m_errorText = text; }
    bool isValid() const { return !typeName().isEmpty() && m_errorText.isEmpty(); }

    VkSourceInfo& info() { return m_info; }
    const VkSourceInfo& info() const { return m_info; }
    const VkFieldList& schema() const { return m_info.schema; }
    QString featureType() const { return m_info.coordInfo.featureType; }

    template <class T> T* resource() const { return dynamic_cast<T*>(m_resource.data()); }
    void setResource(QSharedPointer<VkResourceData> resource) { m_resource = std::move(resource); }

private:
    QString m_path;
    QStringList m_inputPaths;
    VkSourceTypeManager* m_manager = nullptr;
    QString m_errorText;
    VkSourceInfo m_info;
    QSharedPointer<VkResourceData> m_resource;
};

using VkSourcePtr = QSharedPointer<VkSource>;

Q_DECLARE_METATYPE(VkSourcePtr)
