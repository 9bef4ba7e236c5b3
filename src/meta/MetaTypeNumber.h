#pragma once

#include "meta/MetaTypeBase.h"

#include <QtGlobal>

// A numeric option with optional bounds. A bound equal to its sentinel is not set: lower bounds
// use the type's largest value, upper bounds the traits' "unset upper" value (see the .cpp).
template <class T> class MetaTypeNumber : public MetaTypeUnit {
public:
    MetaTypeNumber(QByteArray name, QString label, QString description, T defaultValue);

    static const T kLowerUnset;
    static const T kUpperUnset;

    bool fromPVariant(const PVariant& value, QVariant& out) const override;
    PVariant toPVariant(const QVariant& value) const override;
    QVariant defaultValue() const override { return QVariant::fromValue<T>(m_default); }
    bool fromText(const QString& text, QVariant& out, bool byName) const override;
    QString toText(const QVariant& value, bool readable) const override;
    // The value must hold the kind's own number type and lie within every set bound.
    bool isValid(const QVariant& value) const override;
    QString invalidMessage() const override;

    void setGreaterThan(T bound) { m_greaterThan = bound; }
    void setGreaterOrEqual(T bound) { m_greaterOrEqual = bound; }
    void setLessThan(T bound) { m_lessThan = bound; }
    void setLessOrEqual(T bound) { m_lessOrEqual = bound; }
    T greaterThan() const { return m_greaterThan; }
    T greaterOrEqual() const { return m_greaterOrEqual; }
    T lessThan() const { return m_lessThan; }
    T lessOrEqual() const { return m_lessOrEqual; }

    // The element rules shared with the list kinds.
    static bool parse(const QString& text, T& out);
    static QString format(T value);

private:
    bool inBounds(T value) const;

    T m_default;
    T m_greaterThan = kLowerUnset;
    T m_greaterOrEqual = kLowerUnset;
    T m_lessThan = kUpperUnset;
    T m_lessOrEqual = kUpperUnset;
};

extern template class MetaTypeNumber<int>;
extern template class MetaTypeNumber<qint64>;
extern template class MetaTypeNumber<double>;

class MetaTypeInt : public MetaTypeNumber<int> {
public:
    using MetaTypeNumber<int>::MetaTypeNumber;
};

class MetaTypeInt64 : public MetaTypeNumber<qint64> {
public:
    using MetaTypeNumber<qint64>::MetaTypeNumber;
};

// Also accepts a float value; texts are written with "%.15g".
class MetaTypeDouble : public MetaTypeNumber<double> {
public:
    using MetaTypeNumber<double>::MetaTypeNumber;
};
