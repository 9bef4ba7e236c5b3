#include "formats/dsv/TextPattern.h"

#include <cstring>

namespace {
inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}
} // namespace

TextPattern::TextPattern(int kind, QByteArray pattern, bool caseSensitive)
    : m_kind(kind >= StartsWith && kind <= RegExp ? Kind(kind) : None), m_pattern(std::move(pattern)),
      m_caseSensitive(caseSensitive) {
    if (m_kind == Wildcard || m_kind == RegExp) {
        const QString text = QString::fromUtf8(m_pattern);
        m_expression.setPattern(m_kind == Wildcard ? QRegularExpression::wildcardToRegularExpression(text)
                                                   : text);
        if (!caseSensitive)
            m_expression.setPatternOptions(QRegularExpression::CaseInsensitiveOption);
        m_expression.optimize();
    } else if (!caseSensitive) {
        for (char& c : m_pattern)
            c = lowerAscii(c);
    }
}

bool TextPattern::isValid() const {
    return (m_kind != Wildcard && m_kind != RegExp) || m_expression.isValid();
}

QString TextPattern::errorText() const {
    if (isValid())
        return QString();
    return QStringLiteral("The pattern '%1' is not valid: %2")
        .arg(QString::fromUtf8(m_pattern), m_expression.errorString());
}

bool TextPattern::equalAt(const char* text) const {
    const int n = m_pattern.size();
    if (m_caseSensitive)
        return std::memcmp(text, m_pattern.constData(), size_t(n)) == 0;
    for (int i = 0; i < n; ++i)
        if (lowerAscii(text[i]) != m_pattern[i])
            return false;
    return true;
}

bool TextPattern::find(const char* text, int size, int* from, int* length) const {
    const int n = m_pattern.size();
    *length = n;
    switch (m_kind) {
    case None:
        return false;
    case StartsWith:
        *from = 0;
        return size >= n && equalAt(text);
    case EndsWith:
        *from = size - n;
        return size >= n && equalAt(text + *from);
    case Equals:
        *from = 0;
        return size == n && equalAt(text);
    case Contains:
        for (int i = 0; i + n <= size; ++i) {
            if (equalAt(text + i)) {
                *from = i;
                return true;
            }
        }
        return false;
    case Wildcard:
    case RegExp:
        break;
    }
    if (!m_expression.isValid())
        return false;
    const QString decoded = QString::fromUtf8(text, size);
    const QRegularExpressionMatch match = m_expression.match(decoded);
    if (!match.hasMatch())
        return false;
    *from = decoded.leftRef(match.capturedStart()).toUtf8().size();
    *length = match.capturedRef().toUtf8().size();
    return true;
}

bool TextPattern::matches(const char* text, int size) const {
    if (m_kind == Wildcard || m_kind == RegExp)
        return m_expression.isValid() && m_expression.match(QString::fromUtf8(text, size)).hasMatch();
    int from = 0;
    int length = 0;
    return find(text, size, &from, &length);
}

QByteArray TextPattern::removeMatch(const QByteArray& text) const {
    int from = 0;
    int length = 0;
    if (!find(text.constData(), text.size(), &from, &length))
        return text;
    return text.left(from) + text.mid(from + length);
}
