#pragma once

#include "meta/VkMetaBase.h"

#include <QAtomicInt>
#include <QVector>

class VkMetaOptionsBase;

// An option record: one value per option that its family's meta declares, in declaration order,
// plus its database identity. Records are made by a meta's create() (or clone()) and shared
// through VkOptionsValue handles, which own the reference count.
class VkOptionsData : public VkClassBase {
    Q_OBJECT
public:
    ~VkOptionsData() override;

    virtual const VkMetaOptionsBase* meta() const = 0;
    // Asks the meta to check every scalar option; the first failure's message goes to error.
    virtual bool validate(QString* error = nullptr) const;
    // A new, independent record with equal values (nested records are cloned too).
    virtual VkOptionsData* clone() const;

    int dbId() const { return m_dbId; }
    int dbGroupId() const { return m_dbGroupId; }
    void setDbId(int dbId) { m_dbId = dbId; }
    void setDbGroupId(int dbGroupId) { m_dbGroupId = dbGroupId; }

    QList<QByteArray> optionNames() const override;
    bool hasOption(const QByteArray& name) const override;
    QVariant option(const QByteArray& name) const override;
    bool setOption(const QByteArray& name, const QVariant& value) override;
    void resetAll() override;

    // Access by position in the meta's entry list (the typed accessors use these).
    const QVariant& optionAt(int index) const { return m_values.at(index); }
    void setOptionAt(int index, const QVariant& value) { m_values[index] = value; }

    // Same family, same values (nested records compared by value) and same database identity.
    bool equals(const VkOptionsData& other) const;

protected:
    VkOptionsData();
    bool resetOption(const QByteArray& name) override;

private:
    friend class VkOptionsValue;

    QAtomicInt m_ref;
    int m_dbId = -1;
    int m_dbGroupId = -1;
    QVector<QVariant> m_values;
};
