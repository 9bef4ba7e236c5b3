#include "meta/MetaTypeEnum.h"

#include <limits>

EnumType::EnumType(QVector<int> values, QStringList names, QStringList docs)
    : m_values(std::move(values)), m_names(std::move(names)), m_docs(std::move(docs)) {}

void EnumType::setValues(QVector<int> values, QStringList names, QStringList docs) {
    m_values = std::move(values);
    m_names = std::move(names);
    m_docs = std::move(docs);
}

QString EnumType::nameOf(int value) const {
    const int index = m_values.indexOf(value);
    return index >= 0 ? m_names.value(index) : QString();
}

bool EnumType::valueOf(const QString& name, int& out) const {
    const int index = m_names.indexOf(name);
    if (index < 0 || index >= m_values.size())
        return false;
    out = m_values.at(index);
    return true;
}

MetaTypeEnum::MetaTypeEnum(QByteArray name, QString label, QString description, int defaultValue,
                           QVector<int> values, QStringList names, QStringList docs)
    : MetaTypeUnit("enum", std::move(name), std::move(label), std::move(description)),
      EnumType(std::move(values), std::move(names), std::move(docs)), m_default(defaultValue) {}

bool MetaTypeEnum::accept(qint64 value, QVariant& out) const {
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max() ||
        !hasValue(int(value)))
        return false;
    out = int(value);
    return true;
}

bool MetaTypeEnum::fromPVariant(const PVariant& value, QVariant& out) const {
    switch (value.type()) {
    case ValueType::Int:
        return accept(value.intValue(), out);
    case ValueType::Int64:
        return accept(value.int64Value(), out);
    case ValueType::Categorical:
        return accept(value.categoricalCode(), out);
    case ValueType::String: {
        int found = 0;
        if (!valueOf(QString::fromUtf8(value.bytes()), found))
            return false;
        out = found;
        return true;
    }
    default:
        return false;
    }
}

PVariant MetaTypeEnum::toPVariant(const QVariant& value) const {
    const int code = value.toInt();
    return PVariant::categorical(code, nameOf(code).toUtf8());
}

bool MetaTypeEnum::fromText(const QString& text, QVariant& out, bool byName) const {
    if (byName) {
        int found = 0;
        if (!valueOf(text, found))
            return false;
        out = found;
        return true;
    }
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    return ok && accept(number, out);
}

QString MetaTypeEnum::toText(const QVariant& value, bool readable) const {
    const int code = value.toInt();
    return readable ? nameOf(code) : QString::number(code);
}

bool MetaTypeEnum::isValid(const QVariant& value) const {
    if (!holdsInteger(value))
        return false;
    const qlonglong code = value.toLongLong();
    return code >= std::numeric_limits<int>::min() && code <= std::numeric_limits<int>::max() &&
           hasValue(int(code));
}

QString MetaTypeEnum::invalidMessage() const {
    QStringList values;
    for (int value : EnumType::values())
        values << QString::number(value);
    return label() + QStringLiteral(" must be one of {") + values.join(QLatin1Char(',')) +
           QStringLiteral("}.\n");
}
