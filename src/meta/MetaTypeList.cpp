#include "meta/MetaTypeList.h"

#include "meta/MetaTypeBool.h"
#include "meta/MetaTypeNumber.h"

#include <QtEndian>
#include <cstring>

namespace {

const char kBase64Prefix[] = "__base64_data__";

// The element rules of each list kind; raw elements are those of the Base64 shortcut.
template <class E> struct ElementTraits;

template <> struct ElementTraits<bool> {
    static const char* typeName() { return "boollist"; }
    static constexpr int kRawSize = 1;
    static bool fromRaw(const char* raw) { return *raw != 0; }
    static bool parse(const QString& text, bool& out) { return MetaTypeBool::parse(text, true, out); }
    static QString format(bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); }
    static bool fromPVariant(const PVariant& value, bool& out) {
        if (value.type() == ValueType::Bool) {
            out = value.boolByte() == 1;
            return value.boolByte() != PVariant::MissingBool;
        }
        bool ok = false;
        out = value.toBool(&ok);
        return ok;
    }
    static PVariant toPVariant(const QVector<bool>& values) { return PVariant::fromBoolList(values); }
};

template <> struct ElementTraits<int> {
    static const char* typeName() { return "intlist"; }
    static constexpr int kRawSize = 4;
    static int fromRaw(const char* raw) { return qFromLittleEndian<qint32>(raw); }
    static bool parse(const QString& text, int& out) { return MetaTypeInt::parse(text, out); }
    static QString format(int value) { return QString::asprintf("%d", value); }
    static bool fromPVariant(const PVariant& value, int& out) {
        bool ok = false;
        out = value.toInt(&ok);
        return ok;
    }
    static PVariant toPVariant(const QVector<int>& values) { return PVariant(values); }
};

template <> struct ElementTraits<double> {
    static const char* typeName() { return "doublelist"; }
    static constexpr int kRawSize = 8;
    static double fromRaw(const char* raw) {
        const quint64 bits = qFromLittleEndian<quint64>(raw);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    static bool parse(const QString& text, double& out) { return MetaTypeDouble::parse(text, out); }
    static QString format(double value) { return QString::asprintf("%.15g", value); }
    static bool fromPVariant(const PVariant& value, double& out) {
        bool ok = false;
        out = value.toDouble(&ok);
        return ok;
    }
    static PVariant toPVariant(const QVector<double>& values) { return PVariant(values); }
};

template <> struct ElementTraits<QString> {
    static const char* typeName() { return "stringlist"; }
    static constexpr int kRawSize = 0; // no Base64 form
    static QString fromRaw(const char*) { return QString(); }
    static bool parse(const QString& text, QString& out) {
        out = text;
        return true;
    }
    static QString format(const QString& value) { return value; }
    static bool fromPVariant(const PVariant& value, QString& out) {
        if (value.type() != ValueType::String)
            return false;
        out = QString::fromUtf8(value.bytes());
        return true;
    }
    static PVariant toPVariant(const QVector<QString>& values) { return PVariant::fromStringList(values); }
};

bool isByteString(const PVariant& value) {
    return value.type() == ValueType::String || value.type() == ValueType::ByteArray;
}

template <class E> bool fromBase64(const QByteArray& text, QVector<E>& out) {
    constexpr int size = ElementTraits<E>::kRawSize;
    if (size == 0)
        return false;
    const auto decoded = QByteArray::fromBase64Encoding(text.mid(int(sizeof kBase64Prefix) - 1),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return false;
    const QByteArray& raw = *decoded;
    out.reserve(raw.size() / qMax(size, 1));
    for (int offset = 0; size > 0 && offset + size <= raw.size(); offset += size)
        out.append(ElementTraits<E>::fromRaw(raw.constData() + offset));
    return true;
}

template <class E> bool fromVector(const PVariant& value, QVector<E>& out) {
    if (!value.isVector())
        return false;
    const int count = value.size();
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        E element{};
        if (!ElementTraits<E>::fromPVariant(value.at(i), element))
            return false;
        out.append(element);
    }
    return true;
}

} // namespace

template <class E>
MetaTypeList<E>::MetaTypeList(QByteArray name, QString label, QString description, QVector<E> defaultValue)
    : MetaTypeUnitList(ElementTraits<E>::typeName(), std::move(name), std::move(label),
                       std::move(description)),
      m_default(std::move(defaultValue)) {}

template <class E> bool MetaTypeList<E>::fromPVariant(const PVariant& value, QVariant& out) const {
    QVector<E> list;
    const bool converted = isByteString(value) && value.bytes().startsWith(kBase64Prefix)
                               ? fromBase64(value.bytes(), list)
                               : fromVector(value, list);
    if (converted)
        out = QVariant::fromValue(list);
    return converted;
}

template <class E> PVariant MetaTypeList<E>::toPVariant(const QVariant& value) const {
    return ElementTraits<E>::toPVariant(value.value<QVector<E>>());
}

template <class E> bool MetaTypeList<E>::fromTextList(const QStringList& texts, QVariant& out) const {
    QVector<E> list;
    list.reserve(texts.size());
    for (const QString& text : texts) {
        E element{};
        if (!ElementTraits<E>::parse(text, element))
            return false;
        list.append(element);
    }
    out = QVariant::fromValue(list);
    return true;
}

template <class E> QStringList MetaTypeList<E>::toTextList(const QVariant& value) const {
    QStringList texts;
    for (const E& element : value.value<QVector<E>>())
        texts << ElementTraits<E>::format(element);
    return texts;
}

template class MetaTypeList<bool>;
template class MetaTypeList<int>;
template class MetaTypeList<double>;
template class MetaTypeList<QString>;
