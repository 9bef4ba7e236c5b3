#pragma once

#include "meta/MetaTypeBase.h"

#include <QVector>

// A list-of-scalars option; records hold a QVector of the element type.
template <class E> class MetaTypeList : public MetaTypeUnitList {
public:
    MetaTypeList(QByteArray name, QString label, QString description, QVector<E> defaultValue);

    // Any vector whose every element converts, or (bool, int and double lists) a byte string
    // "__base64_data__" followed by the Base64 of the little-endian element array.
    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override { return QVariant::fromValue(m_default); }
    bool fromTextList(const QStringList& texts, QVariant& out) const override;
    QStringList toTextList(const QVariant& value) const override;

private:
    QVector<E> m_default;
};

extern template class MetaTypeList<bool>;
extern template class MetaTypeList<int>;
extern template class MetaTypeList<double>;
extern template class MetaTypeList<QString>;

class MetaTypeBoolList : public MetaTypeList<bool> {
public:
    using MetaTypeList<bool>::MetaTypeList;
};

class MetaTypeIntList : public MetaTypeList<int> {
public:
    using MetaTypeList<int>::MetaTypeList;
};

class MetaTypeDoubleList : public MetaTypeList<double> {
public:
    using MetaTypeList<double>::MetaTypeList;
};

class MetaTypeStringList : public MetaTypeList<QString> {
public:
    using MetaTypeList<QString>::MetaTypeList;
};
