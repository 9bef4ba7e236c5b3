#pragma once

#include "source/values/PVariant.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// Descriptor of one option of an option family: its type, name, label, description, attributes
// and default. Generic code (JSON, command lines, validation, help) works through descriptors only.
class MetaTypeBase {
public:
    // What a descriptor describes; generic code dispatches on it.
    enum Kind { KindUnit = 1, KindUnitList = 2, KindOptions = 3, KindOptionsList = 4 };

    MetaTypeBase(QByteArray typeName, QByteArray name, QString label, QString description);
    virtual ~MetaTypeBase();
    MetaTypeBase(const MetaTypeBase&) = delete;
    MetaTypeBase& operator=(const MetaTypeBase&) = delete;

    virtual int kind() const = 0;
    // Converts a stored value; false (out untouched) when the value does not fit the option.
    virtual bool fromPVariant(const PVariant& value, QVariant& out) const = 0;
    virtual PVariant toPVariant(const QVariant& value) const = 0;
    // The value a reset assigns.
    virtual QVariant defaultValue() const = 0;

    // "bool", "int", "int64", "double", "string", "enum", "boollist", ... "optionslist".
    const QByteArray& typeName() const { return m_typeName; }
    const QByteArray& name() const { return m_name; }
    const QString& label() const { return m_label; }
    const QString& description() const { return m_description; }
    void setLabel(const QString& label) { m_label = label; }

    const QMap<QString, QVariant>& attributes() const { return m_attributes; }
    QVariant attribute(const QString& key) const { return m_attributes.value(key); }
    void setAttribute(const QString& key, const QVariant& value) { m_attributes.insert(key, value); }
    // Options that hold a source path or output name are marked so that they can be scrubbed.
    bool isScrubbed() const { return m_attributes.value(QStringLiteral("scrub")).toBool(); }

private:
    QByteArray m_typeName;
    QByteArray m_name;
    QString m_label;
    QString m_description;
    QMap<QString, QVariant> m_attributes;
};

// A scalar option: converts to and from text and checks its own constraints.
class MetaTypeUnit : public MetaTypeBase {
public:
    using MetaTypeBase::MetaTypeBase;

    int kind() const override { return KindUnit; }
    // byName: words ("true", enum names) are accepted besides numbers.
    virtual bool fromText(const QString& text, QVariant& out, bool byName) const = 0;
    // readable: words ("True", enum names) instead of numbers.
    virtual QString toText(const QVariant& value, bool readable) const = 0;
    virtual bool isValid(const QVariant& value) const = 0;
    // The text that explains the constraint, ending in ".\n".
    virtual QString invalidMessage() const = 0;

protected:
    // True for the integer QVariant types (int, uint, qint64, quint64).
    static bool holdsInteger(const QVariant& value);
};

// A list-of-scalars option.
class MetaTypeUnitList : public MetaTypeBase {
public:
    using MetaTypeBase::MetaTypeBase;

    int kind() const override { return KindUnitList; }
    // One element that does not convert fails the whole list and leaves out untouched.
    virtual bool fromTextList(const QStringList& texts, QVariant& out) const = 0;
    virtual QStringList toTextList(const QVariant& value) const = 0;
};
