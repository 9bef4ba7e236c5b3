#pragma once

#include <QByteArray>
#include <QRegularExpression>

// Matches lines or values of a delimited text file against one pattern of the header, ignore
// or missing-value options. Comparisons are byte-wise; without case sensitivity they ignore
// ASCII case. Only the two expression kinds decode the text, so plain kinds cost no allocation.
class TextPattern {
public:
    // The integers stored in the ...PatternType options.
    enum Kind {
        None = -1,      // never matches
        StartsWith = 0, // the text begins with the pattern
        EndsWith = 1,   // the text ends with the pattern
        Contains = 2,   // the pattern occurs anywhere in the text
        Equals = 3,     // the text equals the pattern
        Wildcard = 4,   // the whole text matches a Unix-style wildcard
        RegExp = 5      // the regular expression matches somewhere in the text
    };

    TextPattern() = default;
    // A kind outside -1..5 never matches, like None.
    TextPattern(int kind, QByteArray pattern, bool caseSensitive);

    Kind kind() const { return m_kind; }
    const QByteArray& pattern() const { return m_pattern; }
    // False for an expression that does not compile; errorText() tells why.
    bool isValid() const;
    QString errorText() const;

    bool matches(const char* text, int size) const;
    bool matches(const QByteArray& text) const { return matches(text.constData(), text.size()); }
    // The text with the matched part cut out; the text unchanged when the pattern does not match.
    QByteArray removeMatch(const QByteArray& text) const;

private:
    // The byte offset and length of the first match; false when there is none.
    bool find(const char* text, int size, int* from, int* length) const;
    bool equalAt(const char* text) const;

    Kind m_kind = None;
    QByteArray m_pattern; // lower-cased when not case sensitive
    bool m_caseSensitive = false;
    QRegularExpression m_expression;
};
