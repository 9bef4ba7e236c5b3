#pragma once

#include <QByteArray>
#include <QPair>
#include <QVector>

// One "##" line of a VCF header: either "##key=value", or "##key=<ID=x,Description="...">" whose
// entries are key=value pairs. Quoted values may hold commas and the backslash escapes \" and \\.
// Parsing is as lenient as htslib's: blanks before an entry key are skipped, and an unterminated
// quote or a missing ">" ends the value at the end of the line.
class VcfHeaderRecord {
public:
    using Entry = QPair<QByteArray, QByteArray>;

    // Parses a line with or without its leading "##"; false for a line without "=" or with an entry
    // that has no key.
    static bool parse(const QByteArray& line, VcfHeaderRecord* record);

    const QByteArray& key() const { return m_key; }
    // The plain value; for a structured record, the text between the angle brackets.
    const QByteArray& value() const { return m_value; }
    bool isStructured() const { return m_structured; }
    const QVector<Entry>& entries() const { return m_entries; }
    // The value of an entry of a structured record, unquoted; empty when absent.
    QByteArray entry(const char* key) const;

private:
    bool parseEntries(const char* p, const char* end);

    QByteArray m_key;
    QByteArray m_value;
    bool m_structured = false;
    QVector<Entry> m_entries;
};
