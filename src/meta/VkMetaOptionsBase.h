#pragma once

#include "meta/MetaTypeBase.h"
#include "meta/VkMetaClassBase.h"

#include <QHash>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

// One declared option: its property name, its descriptor (owned by the meta) and a further
// name list that every family leaves empty.
struct VkMetaEntry {
    QByteArray name;
    const MetaTypeBase* type = nullptr;
    QList<QByteArray> extra;
};

// Descriptor of an option family. Families declare their options (VkOptionsDeclare.h); an
// intermediate family's options come first, in the order the levels declare them.
class VkMetaOptionsBase : public VkMetaClassBase {
public:
    ~VkMetaOptionsBase() override;

    const QVector<VkMetaEntry>& entries() const { return m_entries; }
    int optionCount() const { return m_entries.size(); }
    const VkMetaEntry& entry(int index) const { return m_entries.at(index); }
    // -1 for a name that no option has.
    int indexOf(const QByteArray& name) const { return m_index.value(name, -1); }
    const MetaTypeBase* optionType(const QByteArray& name) const;

    VkOptionsData* create() const override;
    // Checks the scalar options in order and stops at the first invalid one, appending its
    // message to error. Lists and nested records are not checked.
    bool validate(const VkOptionsData& record, QString* error = nullptr) const override;
    // For every option (only those named in optionNames when it is not empty) whose key is in
    // fields and whose value converts, stores the value; others keep what they hold.
    bool readFields(VkOptionsData& record, const PVariantMap& fields,
                    const QList<QByteArray>& optionNames) const override;
    // "className", "classVersion" (only above 1), "fields", and "dbId" with "dbGroupId" when dbId
    // is not -1.
    PVariant write(const VkOptionsData& record) const override;

    // Brings the stored fields of an older class version up to date; false fails the read.
    virtual bool hasUpgrade() const { return false; }
    virtual bool upgrade(int storedVersion, PVariantMap& fields) const;

    // True when this family is the given one or derives from it; a null family matches any.
    bool inherits(const VkMetaOptionsBase* family) const;
    // Class names from the outermost intermediate family to this one.
    const QStringList& lineage() const { return m_lineage; }

protected:
    explicit VkMetaOptionsBase(VkMetaInfo info);

    virtual VkOptionsData* newData() const = 0;
    void addLineage(const QString& className) { m_lineage << className; }
    // Takes ownership of the descriptor and appends its entry.
    void addOption(MetaTypeBase* type);

private:
    std::vector<std::unique_ptr<MetaTypeBase>> m_types;
    QVector<VkMetaEntry> m_entries;
    QHash<QByteArray, int> m_index;
    QStringList m_lineage;
};
