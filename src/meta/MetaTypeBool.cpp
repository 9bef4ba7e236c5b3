#include "meta/MetaTypeBool.h"

MetaTypeBool::MetaTypeBool(QByteArray name, QString label, QString description, bool defaultValue)
    : MetaTypeUnit("bool", std::move(name), std::move(label), std::move(description)),
      m_default(defaultValue) {}

bool MetaTypeBool::fromPVariant(const PVariant& value, QVariant& out) const {
    if (value.type() == ValueType::Bool) {
        out = value.boolByte() == 1;
        return true;
    }
    bool ok = false;
    const bool converted = value.toBool(&ok);
    if (ok)
        out = converted;
    return ok;
}

PVariant MetaTypeBool::toPVariant(const QVariant& value) const {
    return PVariant(value.toBool());
}

bool MetaTypeBool::parse(const QString& text, bool byName, bool& out) {
    if (byName) {
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            out = true;
            return true;
        }
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            out = false;
            return true;
        }
    }
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || (number != 0 && number != 1))
        return false;
    out = number == 1;
    return true;
}

bool MetaTypeBool::fromText(const QString& text, QVariant& out, bool byName) const {
    bool parsed = false;
    if (!parse(text, byName, parsed))
        return false;
    out = parsed;
    return true;
}

QString MetaTypeBool::toText(const QVariant& value, bool readable) const {
    const bool flag = value.toBool();
    if (readable)
        return flag ? QStringLiteral("True") : QStringLiteral("False");
    return flag ? QStringLiteral("1") : QStringLiteral("0");
}

bool MetaTypeBool::isValid(const QVariant& value) const {
    if (value.userType() == QMetaType::Bool)
        return true;
    if (!holdsInteger(value))
        return false;
    const qlonglong number = value.toLongLong();
    return number == 0 || number == 1;
}

QString MetaTypeBool::invalidMessage() const {
    return label() + QStringLiteral(" must be a valid boolean value (0 or 1).\n");
}
