#pragma once

#include "meta/MetaTypeBase.h"

#include <QVector>

// The value set of an enumeration: values with parallel names and documentation texts.
class EnumType {
public:
    EnumType() = default;
    EnumType(QVector<int> values, QStringList names, QStringList docs);

    const QVector<int>& values() const { return m_values; }
    const QStringList& names() const { return m_names; }
    const QStringList& docs() const { return m_docs; }
    void setValues(QVector<int> values, QStringList names, QStringList docs);

    bool hasValue(int value) const { return m_values.contains(value); }
    // The name of a value, empty for a value that the enumeration does not hold.
    QString nameOf(int value) const;
    // Exact-case lookup; false when no name matches.
    bool valueOf(const QString& name, int& out) const;

private:
    QVector<int> m_values;
    QStringList m_names;
    QStringList m_docs;
};

// An enumerated option; records hold the enum's value (not its index) as an int.
class MetaTypeEnum : public MetaTypeUnit, public EnumType {
public:
    MetaTypeEnum(QByteArray name, QString label, QString description, int defaultValue,
                 QVector<int> values = {}, QStringList names = {}, QStringList docs = {});

    // Int or Int64 among the values, a String among the names, or a Categorical whose code is a value.
    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    // A Categorical carrying the code and its name.
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override { return m_default; }
    bool fromText(const QString& text, QVariant& out, bool byName) const override;
    QString toText(const QVariant& value, bool readable) const override;
    bool isValid(const QVariant& value) const override;
    QString invalidMessage() const override;

private:
    bool accept(qint64 value, QVariant& out) const;

    int m_default;
};
