#include "formats/vcf/VcfHeaderRecord.h"

namespace {

const char* skipBlanks(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    return p;
}

// Reads a quoted value after its opening quote; returns the position after the closing quote.
const char* readQuoted(const char* p, const char* end, QByteArray* value) {
    while (p < end && *p != '"') {
        if (*p == '\\' && p + 1 < end && (p[1] == '"' || p[1] == '\\'))
            ++p;
        value->append(*p++);
    }
    return p < end ? p + 1 : p;
}

} // namespace

bool VcfHeaderRecord::parse(const QByteArray& line, VcfHeaderRecord* record) {
    *record = VcfHeaderRecord();
    const int from = line.startsWith("##") ? 2 : 0;
    const int equals = line.indexOf('=', from);
    if (equals <= from)
        return false;
    record->m_key = line.mid(from, equals - from);
    record->m_value = line.mid(equals + 1);
    if (!record->m_value.startsWith('<'))
        return true;
    const char* begin = line.constData() + equals + 2;
    const char* end = line.constData() + line.size();
    const char* close = end;
    while (close > begin && (close[-1] == ' ' || close[-1] == '\t'))
        --close;
    if (close > begin && close[-1] == '>')
        --close;
    record->m_value = QByteArray(begin, int(close - begin));
    record->m_structured = true;
    return record->parseEntries(begin, end);
}

bool VcfHeaderRecord::parseEntries(const char* p, const char* end) {
    while (p < end && *p != '>') {
        p = skipBlanks(p, end);
        const char* keyStart = p;
        while (p < end && *p != '=' && *p != ',' && *p != '>')
            ++p;
        if (p == keyStart || p == end || *p != '=')
            return false;
        Entry entry{QByteArray(keyStart, int(p - keyStart)), QByteArray()};
        ++p;
        if (p < end && *p == '"') {
            p = readQuoted(p + 1, end, &entry.second);
        } else {
            const char* valueStart = p;
            while (p < end && *p != ',' && *p != '>')
                ++p;
            entry.second = QByteArray(valueStart, int(p - valueStart));
        }
        m_entries.append(entry);
        while (p < end && *p != ',' && *p != '>')
            ++p;
        if (p < end && *p == ',')
            ++p;
    }
    return true;
}

QByteArray VcfHeaderRecord::entry(const char* key) const {
    for (const Entry& entry : m_entries)
        if (entry.first == key)
            return entry.second;
    return QByteArray();
}
