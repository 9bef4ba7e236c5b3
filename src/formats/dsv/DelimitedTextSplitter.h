#pragma once

#include <QByteArray>

#include <string>
#include <vector>

namespace DelimitedText {

// A piece of a line: bytes that are not NUL-terminated.
struct Span {
    const char* data;
    int size;
    QByteArray toByteArray() const { return QByteArray(data, size); }
};

// How text is cut into pieces.
struct SplitRule {
    QByteArray delimiter; // empty: the text is one piece
    // A delimiter inside a quoted piece does not cut. A piece is quoted when it begins with one of
    // the quote characters and runs to the same character; inside it the escape character takes
    // the next byte literally, and so does a doubled quote character.
    bool quoted = false;
    QByteArray quotes = "\"";
    char escape = '\\'; // 0 for none
    bool removeQuotes = true;
    bool dropEmpty = false;     // drop every empty piece
    bool dropEmptyLast = false; // drop an empty last piece, as left by a closing delimiter
};

// Cuts lines into columns, or values into list items, without allocating per piece: pieces
// point into the text, or into the splitter's own buffer when quotes had to be removed.
class Splitter {
public:
    explicit Splitter(SplitRule rule = SplitRule());

    const SplitRule& rule() const { return m_rule; }
    // Replaces out by the pieces of text; they stay valid until the next call and while the
    // text does.
    void split(const char* text, int size, std::vector<Span>& out);
    // Whether the text would be cut at all.
    bool containsDelimiter(const char* text, int size) const;

private:
    const char* findDelimiter(const char* from, const char* end) const;
    // Reads the quoted piece that starts at from; returns where it ends (after the closing quote).
    const char* readQuoted(const char* from, const char* end, char*& out) const;
    void append(std::vector<Span>& out, const char* data, int size) const;

    SplitRule m_rule;
    std::string m_buffer;
};

} // namespace DelimitedText
