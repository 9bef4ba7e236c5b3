#pragma once

#include "meta/MetaTypeBase.h"

class VkMetaOptionsBase;

// Looks a family's meta up when first needed, so that families may nest each other (or themselves).
using VkMetaGetter = const VkMetaOptionsBase* (*)();

template <class Family> const VkMetaOptionsBase* vkMetaOf() {
    return Family::staticMeta();
}

// A nested option record, held as a VkOptionsValue (null by default). The family may be an
// intermediate one, accepting records of every family derived from it; a null family accepts any.
class MetaTypeOptions : public MetaTypeBase {
public:
    MetaTypeOptions(QByteArray name, QString label, QString description, VkMetaGetter family);

    int kind() const override { return KindOptions; }
    // A serialised option-record map of the family.
    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    // The record's option-record map; an invalid value for a null record.
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override;

    const VkMetaOptionsBase* family() const { return m_family(); }

private:
    VkMetaGetter m_family;
};

// A list of nested option records, held as a QVector<VkOptionsValue> (empty by default).
class MetaTypeOptionsList : public MetaTypeBase {
public:
    MetaTypeOptionsList(QByteArray name, QString label, QString description, VkMetaGetter family);

    int kind() const override { return KindOptionsList; }
    // An array of option-record maps; one that does not read fails the whole list.
    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    // An Array of Key Value Pairs; null records are left out.
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override;

    const VkMetaOptionsBase* family() const { return m_family(); }

private:
    VkMetaGetter m_family;
};
