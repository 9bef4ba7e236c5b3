#include "meta/MetaTypeString.h"

MetaTypeString::MetaTypeString(QByteArray name, QString label, QString description, QString defaultValue)
    : MetaTypeUnit("string", std::move(name), std::move(label), std::move(description)),
      m_default(std::move(defaultValue)), m_pattern(QString()) {}

bool MetaTypeString::fromPVariant(const PVariant& value, QVariant& out) const {
    if (value.type() != ValueType::String)
        return false;
    out = QString::fromUtf8(value.bytes());
    return true;
}

PVariant MetaTypeString::toPVariant(const QVariant& value) const {
    return PVariant(value.toString());
}

bool MetaTypeString::fromText(const QString& text, QVariant& out, bool) const {
    out = text;
    return true;
}

QString MetaTypeString::toText(const QVariant& value, bool) const {
    return value.toString();
}

bool MetaTypeString::isValid(const QVariant& value) const {
    if (value.userType() != QMetaType::QString)
        return false;
    const QString text = value.toString();
    if (m_notEmpty && text.isEmpty())
        return false;
    if (m_pattern.isEmpty())
        return true;
    // A private copy: matching records state in the expression, and records validate on any thread.
    QRegExp pattern(m_pattern);
    return pattern.exactMatch(text);
}

QString MetaTypeString::invalidMessage() const {
    QString message;
    if (!m_pattern.isEmpty()) {
        const bool wildcard = m_pattern.patternSyntax() == QRegExp::Wildcard ||
                              m_pattern.patternSyntax() == QRegExp::WildcardUnix;
        message = label() + QStringLiteral(" must match the ") +
                  (wildcard ? QStringLiteral("pattern ") : QStringLiteral("regular expression ")) +
                  QLatin1Char('"') + m_pattern.pattern() + QLatin1Char('"');
        if (m_pattern.caseSensitivity() == Qt::CaseInsensitive)
            message += QStringLiteral(" (case insensitive)");
    }
    if (m_notEmpty) {
        if (!message.isEmpty())
            message += QStringLiteral(" and ");
        message += label() + QStringLiteral(" must not be empty");
    }
    if (message.isEmpty())
        message = label() + QStringLiteral(" must be a valid string");
    return message + QStringLiteral(".\n");
}
