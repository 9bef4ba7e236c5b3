#pragma once

#include "source/values/PVariant.h"

#include <QList>
#include <QString>

class VkOptionsData;

// What a family's meta says about itself.
struct VkMetaInfo {
    QString className;
    int classVersion = 1;
    QString description;
};

// Descriptor singleton of a family of records: its name, version, description and factory, and
// the operations that work on any record of the family.
class VkMetaClassBase {
public:
    explicit VkMetaClassBase(VkMetaInfo info);
    virtual ~VkMetaClassBase();
    VkMetaClassBase(const VkMetaClassBase&) = delete;
    VkMetaClassBase& operator=(const VkMetaClassBase&) = delete;

    virtual QString className() const { return m_info.className; }
    virtual int classVersion() const { return m_info.classVersion; }
    virtual QString description() const { return m_info.description; }
    // A new record with no parent and every option at its default.
    virtual VkOptionsData* create() const = 0;
    virtual bool validate(const VkOptionsData& record, QString* error = nullptr) const = 0;
    // Reads the options found in fields (a Key Value Pairs map); see VkMetaOptionsBase.
    virtual bool readFields(VkOptionsData& record, const PVariantMap& fields,
                            const QList<QByteArray>& optionNames) const = 0;
    // The record as a serialised option-record map.
    virtual PVariant write(const VkOptionsData& record) const = 0;

private:
    VkMetaInfo m_info;
};
