#include "formats/vcf/VcfHeader.h"

#include "formats/text/TextFileReader.h"

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
void VcfHeader::declareKeysOf(const char* line, int length) {
    const QByteArray text = QByteArray::fromRawData(line, length);
    QList<QByteArray> columns;
    for (int from = 0; from <= length && columns.size() <= kFixedColumns;) {
        const int tab = text.indexOf('\t', from);
        const int end = tab < 0 ? length : tab;
        columns.append(text.mid(from, end - from));
        from = end + 1;
    }
    if (columns.size() < kFixedColumns)
        return;
    for (const QByteArray& filter : columns.at(6).split(';'))
        if (filter != "." && !filter.isEmpty() && !isDeclared("FILTER", filter))
            declare("FILTER", filter, "");
    for (const QByteArray& entry : columns.at(7).split(';')) {
        const int equals = entry.indexOf('=');
        const QByteArray id = equals < 0 ? entry : entry.left(equals);
        if (id != "." && !id.isEmpty() && !isDeclared("INFO", id))
            declare("INFO", id, equals < 0 ? "Number=0,Type=Flag," : "Number=1,Type=String,");
    }
    if (columns.size() <= kFixedColumns || m_sampleNames.isEmpty())
        return;
    for (const QByteArray& id : columns.at(8).split(':'))
        if (id != "." && !id.isEmpty() && !isDeclared("FORMAT", id))
            declare("FORMAT", id,
                    id == "GL" || id == "PL" ? "Number=G,Type=String," : "Number=1,Type=String,");
}

void VcfHeader::addRecord(const VcfHeaderRecord& record) {
    m_records.append(record);
    if (record.isStructured())
        m_declared.insert(record.key() + ':' + record.entry("ID"));
}

bool VcfHeader::isDeclared(const char* kind, const QByteArray& id) const {
    return m_declared.contains(QByteArray(kind) + ':' + id);
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
