#include "formats/vcf/VcfHeader.h"

#include "formats/text/TextFileReader.h"

#include <array>
#include <cstring>

namespace {

const char* const kFixedTitles[] = {"#CHROM", "POS", "ID", "REF", "ALT", "QUAL", "FILTER", "INFO"};
constexpr int kFixedColumns = 8;

} // namespace

QString VcfHeader::columnTitlesError() {
    return QStringLiteral("Header does not end with proper VCF column titles: #CHROM  POS ...");
}

bool VcfHeader::read(TextFile::Reader& reader, QString* error) {
    int length = 0;
    while (const char* line = reader.nextLine(&length)) {
        if (length == 0 || line[0] != '#') {
            *error = columnTitlesError();
            return false;
        }
        if (!addLine(line, length, error))
            return false;
        if (m_complete)
            return true;
    }
    *error = reader.hasError() ? QString() : columnTitlesError();
    return false;
}

bool VcfHeader::addLine(const char* line, int length, QString* error) {
    ++m_lineCount;
    const QByteArray text(line, length);
    if (text.startsWith("#CHROM"))
        return readColumnTitles(text, error);
    VcfHeaderRecord record;
    // Lines that are not records (comments, "##" lines without a value) are skipped, as htslib does.
    if (text.startsWith("##") && VcfHeaderRecord::parse(text, &record))
        addRecord(record);
    return true;
}

// The titles must be tab-separated and exact; htslib refuses files whose titles are separated by
// blanks, and so do we, rather than reading every record with the wrong columns.
bool VcfHeader::readColumnTitles(const QByteArray& line, QString* error) {
    const QList<QByteArray> titles = line.split('\t');
    bool valid =
        titles.size() >= kFixedColumns && (titles.size() == kFixedColumns || titles.at(8) == "FORMAT");
    for (int i = 0; valid && i < kFixedColumns; ++i)
        valid = titles.at(i) == kFixedTitles[i];
    valid = valid && titles.size() != kFixedColumns + 1;
    if (!valid) {
        *error = columnTitlesError();
        return false;
    }
    QSet<QByteArray> seen;
    for (int i = kFixedColumns + 1; i < titles.size(); ++i) {
        const QByteArray& name = titles.at(i);
        if (name.isEmpty() || seen.contains(name)) {
            *error = name.isEmpty() ? QStringLiteral("Empty sample name in the VCF column titles")
                                    : QStringLiteral("Duplicated sample name '%1' in the VCF column titles")
                                          .arg(QString::fromUtf8(name));
            return false;
        }
        seen.insert(name);
        m_sampleNames.append(name);
    }
    m_complete = true;
    return true;
}

// Only the columns up to FORMAT are split: the sample columns are most of a line.
// Called on many lines when a source opens: works on the line in place, allocating only for keys
// it declares.
void VcfHeader::declareKeysOf(const char* line, int length) {
    const char* const end = line + length;
    std::array<Span, kFixedColumns + 1> columns;
    int count = 0;
    for (const char* p = line; count <= kFixedColumns;) {
        const char* tab = static_cast<const char*>(memchr(p, '\t', size_t(end - p)));
        columns[size_t(count++)] = {p, tab ? tab : end};
        if (!tab)
            break;
        p = tab + 1;
    }
    if (count < kFixedColumns)
        return;
    forEachItem(columns[6], ';', [&](Span filter) { declareIfNew("FILTER", filter, ""); });
    forEachItem(columns[7], ';', [&](Span entry) {
        const char* equals = static_cast<const char*>(memchr(entry.begin, '=', entry.size()));
        declareIfNew("INFO", {entry.begin, equals ? equals : entry.end},
                     equals ? "Number=1,Type=String," : "Number=0,Type=Flag,");
    });
    if (count <= kFixedColumns || m_sampleNames.isEmpty())
        return;
    forEachItem(columns[8], ':', [&](Span id) {
        const bool likelihoods =
            id.size() == 2 && (memcmp(id.begin, "GL", 2) == 0 || memcmp(id.begin, "PL", 2) == 0);
        declareIfNew("FORMAT", id, likelihoods ? "Number=G,Type=String," : "Number=1,Type=String,");
    });
}

template <class Visit> void VcfHeader::forEachItem(Span column, char separator, Visit visit) {
    for (const char* p = column.begin; p <= column.end;) {
        const char* found = static_cast<const char*>(memchr(p, separator, size_t(column.end - p)));
        const char* stop = found ? found : column.end;
        visit(Span{p, stop});
        p = stop + 1;
    }
}

void VcfHeader::declareIfNew(const char* kind, Span id, const char* numberAndType) {
    if (id.size() == 0 || (id.size() == 1 && *id.begin == '.'))
        return;
    m_lookup.resize(0);
    m_lookup.append(kind).append(':').append(id.begin, int(id.size()));
    if (!m_declared.contains(m_lookup))
        declare(kind, QByteArray(id.begin, int(id.size())), numberAndType);
}

void VcfHeader::addRecord(const VcfHeaderRecord& record) {
    m_records.append(record);
    if (record.isStructured())
        m_declared.insert(record.key() + ':' + record.entry("ID"));
}

void VcfHeader::declare(const char* kind, const QByteArray& id, const char* numberAndType) {
    VcfHeaderRecord record;
    VcfHeaderRecord::parse(QByteArray("##") + kind + "=<ID=" + id + ',' + numberAndType +
                               "Description=\"Not defined in the file's header\">",
                           &record);
    addRecord(record);
}

QByteArray VcfHeader::value(const char* key) const {
    for (const VcfHeaderRecord& record : m_records)
        if (!record.isStructured() && record.key() == key)
            return record.value();
    return QByteArray();
}
