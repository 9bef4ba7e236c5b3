#include "meta/MetaTypeNumber.h"

#include <limits>

namespace {

// What differs between the numeric kinds.
template <class T> struct NumberTraits;

template <> struct NumberTraits<int> {
    static const char* typeName() { return "int"; }
    static constexpr int upperUnset() { return std::numeric_limits<int>::min(); }
    static bool holds(const QVariant& value) { return value.userType() == QMetaType::Int; }
    static const char* joiner() { return " and "; }
    static QString format(int value) { return QString::number(value); }
    static bool parse(const QString& text, int& out) {
        bool ok = false;
        out = text.toInt(&ok, 10);
        return ok;
    }
    static bool fromPVariant(const PVariant& value, int& out) {
        bool ok = false;
        out = value.toInt(&ok);
        return ok;
    }
    static PVariant toPVariant(int value) { return PVariant(value); }
};

template <> struct NumberTraits<qint64> {
    static const char* typeName() { return "int64"; }
    // One above the most negative value.
    static constexpr qint64 upperUnset() { return -std::numeric_limits<qint64>::max(); }
    static bool holds(const QVariant& value) { return value.userType() == QMetaType::LongLong; }
    static const char* joiner() { return " and "; }
    static QString format(qint64 value) { return QString::number(value); }
    static bool parse(const QString& text, qint64& out) {
        bool ok = false;
        out = text.toLongLong(&ok, 10);
        return ok;
    }
    static bool fromPVariant(const PVariant& value, qint64& out) {
        bool ok = false;
        out = value.toInt64(&ok);
        return ok;
    }
    static PVariant toPVariant(qint64 value) { return PVariant(static_cast<long long>(value)); }
};

template <> struct NumberTraits<double> {
    static const char* typeName() { return "double"; }
    // The smallest positive normal double.
    static constexpr double upperUnset() { return std::numeric_limits<double>::min(); }
    static bool holds(const QVariant& value) {
        return value.userType() == QMetaType::Double || value.userType() == QMetaType::Float;
    }
    static const char* joiner() { return " and"; }
    static QString format(double value) { return QString::asprintf("%.15g", value); }
    static bool parse(const QString& text, double& out) {
        bool ok = false;
        out = text.toDouble(&ok);
        return ok;
    }
    static bool fromPVariant(const PVariant& value, double& out) {
        bool ok = false;
        out = value.toDouble(&ok);
        return ok;
    }
    static PVariant toPVariant(double value) { return PVariant(value); }
};

} // namespace

template <class T> const T MetaTypeNumber<T>::kLowerUnset = std::numeric_limits<T>::max();
template <class T> const T MetaTypeNumber<T>::kUpperUnset = NumberTraits<T>::upperUnset();

template <class T>
MetaTypeNumber<T>::MetaTypeNumber(QByteArray name, QString label, QString description, T defaultValue)
    : MetaTypeUnit(NumberTraits<T>::typeName(), std::move(name), std::move(label), std::move(description)),
      m_default(defaultValue) {}

template <class T> bool MetaTypeNumber<T>::fromPVariant(const PVariant& value, QVariant& out) const {
    T number{};
    if (!NumberTraits<T>::fromPVariant(value, number))
        return false;
    out = QVariant::fromValue<T>(number);
    return true;
}

template <class T> PVariant MetaTypeNumber<T>::toPVariant(const QVariant& value) const {
    return NumberTraits<T>::toPVariant(value.value<T>());
}

template <class T> bool MetaTypeNumber<T>::parse(const QString& text, T& out) {
    return NumberTraits<T>::parse(text, out);
}

template <class T> QString MetaTypeNumber<T>::format(T value) {
    return NumberTraits<T>::format(value);
}

template <class T> bool MetaTypeNumber<T>::fromText(const QString& text, QVariant& out, bool) const {
    T number{};
    if (!parse(text, number))
        return false;
    out = QVariant::fromValue<T>(number);
    return true;
}

template <class T> QString MetaTypeNumber<T>::toText(const QVariant& value, bool) const {
    return format(value.value<T>());
}

template <class T> bool MetaTypeNumber<T>::inBounds(T value) const {
    if (m_greaterThan != kLowerUnset && !(value > m_greaterThan))
        return false;
    if (m_greaterOrEqual != kLowerUnset && !(value >= m_greaterOrEqual))
        return false;
    if (m_lessThan != kUpperUnset && !(value < m_lessThan))
        return false;
    return m_lessOrEqual == kUpperUnset || value <= m_lessOrEqual;
}

template <class T> bool MetaTypeNumber<T>::isValid(const QVariant& value) const {
    return NumberTraits<T>::holds(value) && inBounds(value.value<T>());
}

template <class T> QString MetaTypeNumber<T>::invalidMessage() const {
    QString message = label() + QStringLiteral(" must be");
    const bool lower = m_greaterThan != kLowerUnset || m_greaterOrEqual != kLowerUnset;
    const bool upper = m_lessThan != kUpperUnset || m_lessOrEqual != kUpperUnset;
    if (m_greaterThan != kLowerUnset)
        message += QStringLiteral(" greater than %1").arg(format(m_greaterThan));
    if (m_greaterOrEqual != kLowerUnset)
        message += QStringLiteral(" greater than or equal to %1").arg(format(m_greaterOrEqual));
    if (lower && upper)
        message += QLatin1String(NumberTraits<T>::joiner());
    if (m_lessThan != kUpperUnset)
        message += QStringLiteral(" less than %1").arg(format(m_lessThan));
    if (m_lessOrEqual != kUpperUnset)
        message += QStringLiteral(" less than or equal to %1").arg(format(m_lessOrEqual));
    return message + QStringLiteral(".\n");
}

template class MetaTypeNumber<int>;
template class MetaTypeNumber<qint64>;
template class MetaTypeNumber<double>;
