#include "source/readers/SegmentQuery.h"

namespace SegmentQuery {

namespace {

bool isSeparator(char c) {
    return c == ',' || c == ';' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A comma inside a number is a thousands separator only when exactly three digits follow it;
// otherwise it ends the number and separates two regions ("chr1:100-200,chr2").
bool isThousandsComma(const QByteArray& text, int position) {
    if (position + 3 >= text.size())
        return false;
    for (int i = 1; i <= 3; ++i) {
        if (!isDigit(text.at(position + i)))
            return false;
    }
    return position + 4 >= text.size() || !isDigit(text.at(position + 4));
}

class Scanner {
public:
    explicit Scanner(const QByteArray& text) : m_text(text) {}

    bool atEnd() {
        while (m_position < m_text.size() && isSeparator(m_text.at(m_position)))
            ++m_position;
        return m_position >= m_text.size();
    }

    bool next(VkSegment* segment, QString* error) {
        const int begin = m_position;
        while (m_position < m_text.size() && m_text.at(m_position) != ':' &&
               !isSeparator(m_text.at(m_position)))
            ++m_position;
        const QByteArray chromosome = m_text.mid(begin, m_position - begin);
        if (chromosome.isEmpty())
            return fail("Missing chromosome in query region: %1", begin, error);
        if (m_position >= m_text.size() || m_text.at(m_position) != ':') {
            *segment = VkSegment(chromosome, 0, WholeChromosomeStop);
            return true;
        }
        ++m_position;
        qint64 first = 0;
        if (!readPosition(&first))
            return fail("Invalid position in query region: %1", begin, error);
        qint64 last = first;
        if (m_position < m_text.size() && m_text.at(m_position) == '-') {
            ++m_position;
            if (!readPosition(&last))
                return fail("Invalid position in query region: %1", begin, error);
        }
        if (m_position < m_text.size() && !isSeparator(m_text.at(m_position)))
            return fail("Invalid position in query region: %1", begin, error);
        if (first < 1 || last > WholeChromosomeStop)
            return fail("Position out of range in query region: %1", begin, error);
        if (first > last)
            return fail("Start is after stop in query region: %1", begin, error);
        *segment = VkSegment(chromosome, int32_t(first - 1), int32_t(last));
        return true;
    }

private:
    bool readPosition(qint64* value) {
        QByteArray digits;
        while (m_position < m_text.size()) {
            const char c = m_text.at(m_position);
            if (isDigit(c))
                digits += c;
            else if (c != ',' || digits.isEmpty() || !isThousandsComma(m_text, m_position))
                break;
            ++m_position;
        }
        bool ok = false;
        *value = digits.toLongLong(&ok);
        return ok && digits.size() <= 12;
    }

    bool fail(const char* message, int begin, QString* error) {
        int end = begin;
        while (end < m_text.size() && !isSeparator(m_text.at(end)))
            ++end;
        if (error)
            *error = QString::fromLatin1(message).arg(QString::fromUtf8(m_text.mid(begin, end - begin)));
        return false;
    }

    const QByteArray& m_text;
    int m_position = 0;
};

} // namespace

QList<VkSegment> parse(const QByteArray& text, QString* error) {
    QList<VkSegment> segments;
    Scanner scanner(text);
    while (!scanner.atEnd()) {
        VkSegment segment;
        if (!scanner.next(&segment, error))
            return QList<VkSegment>();
        segments.append(segment);
    }
    if (segments.isEmpty() && error)
        *error = QStringLiteral("Empty query");
    return segments;
}

} // namespace SegmentQuery
