#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QVariant>

// A reflective record whose named, typed properties are its fields. Generic code (JSON, command
// lines, copying) reads and writes properties by name without knowing the concrete class.
class VkMetaBase : public QObject {
    Q_OBJECT
public:
    explicit VkMetaBase(QObject* parent = nullptr);
    ~VkMetaBase() override;

    // Property names in declaration order.
    virtual QList<QByteArray> optionNames() const = 0;
    virtual bool hasOption(const QByteArray& name) const = 0;
    // An invalid QVariant for a name that no property has.
    virtual QVariant option(const QByteArray& name) const = 0;
    // Stores the value as given (validation is separate); false for an unknown name.
    virtual bool setOption(const QByteArray& name, const QVariant& value) = 0;

    // Resets every property to its declared default, in property order.
    virtual void resetAll();
    // Resets one property; a name that no property has does nothing.
    virtual void resetOne(const QByteArray& name);
    // Copies every property that the other record also has.
    virtual void copyFrom(const VkMetaBase& other);

protected:
    virtual bool resetOption(const QByteArray& name) = 0;
};

// Common base of the option-data classes.
class VkClassBase : public VkMetaBase {
    Q_OBJECT
public:
    using VkMetaBase::VkMetaBase;
    ~VkClassBase() override;
};
