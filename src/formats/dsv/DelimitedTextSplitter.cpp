#include "formats/dsv/DelimitedTextSplitter.h"

#include <cstring>

namespace DelimitedText {

Splitter::Splitter(SplitRule rule) : m_rule(std::move(rule)) {
    if (m_rule.quotes.isEmpty())
        m_rule.quoted = false;
}

const char* Splitter::findDelimiter(const char* from, const char* end) const {
    const int n = m_rule.delimiter.size();
    const char first = m_rule.delimiter[0];
    while (from < end) {
        const char* hit = static_cast<const char*>(std::memchr(from, first, size_t(end - from)));
        if (!hit || end - hit < n)
            return nullptr;
        if (n == 1 || std::memcmp(hit + 1, m_rule.delimiter.constData() + 1, size_t(n - 1)) == 0)
            return hit;
        from = hit + 1;
    }
    return nullptr;
}

bool Splitter::containsDelimiter(const char* text, int size) const {
    return !m_rule.delimiter.isEmpty() && findDelimiter(text, text + size);
}

const char* Splitter::readQuoted(const char* from, const char* end, char*& out) const {
    const char quote = *from++;
    while (from < end) {
        const char c = *from;
        if (c == quote && (from + 1 == end || from[1] != quote))
            return from + 1;
        if ((c == m_rule.escape || c == quote) && from + 1 < end) {
            *out++ = from[1];
            from += 2;
        } else {
            *out++ = c;
            ++from;
        }
    }
    return end; // unterminated: the rest of the text belongs to the piece
}

void Splitter::append(std::vector<Span>& out, const char* data, int size) const {
    if (size > 0 || !m_rule.dropEmpty)
        out.push_back(Span{data, size});
}

void Splitter::split(const char* text, int size, std::vector<Span>& out) {
    out.clear();
    const char* end = text + size;
    if (m_rule.delimiter.isEmpty()) {
        append(out, text, size);
        return;
    }
    if (m_rule.quoted && size_t(size) > m_buffer.size())
        m_buffer.resize(size_t(size)); // never reallocated below, so pieces in it stay put
    char* copy = &m_buffer[0];
    const char* from = text;
    for (;;) {
        const char* stop = nullptr;
        if (m_rule.quoted && from < end && m_rule.quotes.contains(*from)) {
            char* begin = copy;
            const char* after = readQuoted(from, end, copy);
            stop = findDelimiter(after, end);
            const char* pieceEnd = stop ? stop : end;
            if (m_rule.removeQuotes) {
                // Anything after the closing quote is kept as it stands.
                std::memcpy(copy, after, size_t(pieceEnd - after));
                copy += pieceEnd - after;
                append(out, begin, int(copy - begin));
            } else {
                copy = begin;
                append(out, from, int(pieceEnd - from));
            }
        } else {
            stop = findDelimiter(from, end);
            append(out, from, int((stop ? stop : end) - from));
        }
        if (!stop)
            break;
        from = stop + m_rule.delimiter.size();
    }
    if (m_rule.dropEmptyLast && out.size() > 1 && out.back().size == 0)
        out.pop_back();
}

} // namespace DelimitedText
