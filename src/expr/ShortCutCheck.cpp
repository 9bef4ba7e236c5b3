#include "expr/ShortCutCheck.h"

#include <vector>

namespace {

enum class Kind { Operand, Open, Close, Prefix, ShortCut, Other };

struct Token {
    Kind kind;
    int position;
    int length;
};

bool startsWith(const QString& text, int at, const char* word) {
    return text.midRef(at).startsWith(QLatin1String(word));
}

int identifierEnd(const QString& text, int at) {
    while (at < text.size() && (text.at(at).isLetterOrNumber() || text.at(at) == QLatin1Char('_')))
        ++at;
    return at;
}

// A number ends where the library's number reader stops: digits and a point, then an exponent, or
// hexadecimal digits after "0x"; a word right after it ("30and") is the next token.
int numberEnd(const QString& text, int at) {
    auto digitsEnd = [&](int from, bool hex) {
        while (from < text.size() &&
               (text.at(from).isDigit() || (hex && QStringLiteral("abcdefABCDEF").contains(text.at(from)))))
            ++from;
        return from;
    };
    if (text.midRef(at, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0)
        return digitsEnd(at + 2, true);
    int end = at;
    while (end < text.size() && (text.at(end).isDigit() || text.at(end) == QLatin1Char('.')))
        ++end;
    if (end < text.size() && (text.at(end) == QLatin1Char('e') || text.at(end) == QLatin1Char('E'))) {
        int exponent = end + 1;
        if (exponent < text.size() &&
            (text.at(exponent) == QLatin1Char('-') || text.at(exponent) == QLatin1Char('+')))
            ++exponent;
        if (exponent < text.size() && text.at(exponent).isDigit())
            end = digitsEnd(exponent, false);
    }
    return end;
}

int stringEnd(const QString& text, int at) {
    for (++at; at < text.size() && text.at(at) != QLatin1Char('"'); ++at)
        if (text.at(at) == QLatin1Char('\\'))
            ++at;
    return std::min(at + 1, int(text.size()));
}

// A word is read as the library reads it: "and" and "or" at its front are operators, "true" and
// "false" at its front are values, the rest of it the next token.
Token wordAt(const QString& text, int at) {
    for (const char* shortCut : {"and", "or"})
        if (startsWith(text, at, shortCut))
            return {Kind::ShortCut, at, int(qstrlen(shortCut))};
    for (const char* value : {"true", "false"})
        if (startsWith(text, at, value))
            return {Kind::Operand, at, int(qstrlen(value))};
    return {Kind::Operand, at, identifierEnd(text, at) - at};
}

Token tokenAt(const QString& text, int at) {
    const QChar c = text.at(at);
    const QStringRef two = text.midRef(at, 2);
    if (two == QLatin1String("&&") || two == QLatin1String("||"))
        return {Kind::ShortCut, at, 2};
    if (c.isLetter() || c == QLatin1Char('_'))
        return wordAt(text, at);
    if (c.isDigit() || c == QLatin1Char('.'))
        return {Kind::Operand, at, numberEnd(text, at) - at};
    if (c == QLatin1Char('"'))
        return {Kind::Operand, at, stringEnd(text, at) - at};
    if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{'))
        return {Kind::Open, at, 1};
    if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}'))
        return {Kind::Close, at, 1};
    if (c == QLatin1Char('!') || c == QLatin1Char('-') || c == QLatin1Char('+'))
        return {Kind::Prefix, at, 1};
    return {Kind::Other, at, 1};
}

std::vector<Token> tokensOf(const QString& text) {
    std::vector<Token> tokens;
    for (int at = 0; at < text.size();) {
        // A line break separates expressions for the library: it is a token, not a space.
        const bool lineBreak = text.at(at) == QLatin1Char('\n') || text.at(at) == QLatin1Char('\r');
        if (text.at(at).isSpace() && !lineBreak) {
            ++at;
            continue;
        }
        tokens.push_back(tokenAt(text, at));
        at += std::max(tokens.back().length, 1);
    }
    return tokens;
}

} // namespace

namespace ShortCutCheck {

bool check(const QString& text, QString* error) {
    const std::vector<Token> tokens = tokensOf(text);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != Kind::ShortCut)
            continue;
        const bool operandBefore =
            i > 0 && (tokens[i - 1].kind == Kind::Operand || tokens[i - 1].kind == Kind::Close);
        const bool operandAfter =
            i + 1 < tokens.size() && (tokens[i + 1].kind == Kind::Operand ||
                                      tokens[i + 1].kind == Kind::Open || tokens[i + 1].kind == Kind::Prefix);
        if (!operandBefore || !operandAfter) {
            *error = QStringLiteral("Unexpected operator \"%1\" found at position %2.")
                         .arg(text.mid(tokens[i].position, tokens[i].length))
                         .arg(tokens[i].position);
            return false;
        }
    }
    return true;
}

} // namespace ShortCutCheck
