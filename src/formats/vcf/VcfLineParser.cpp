#include "formats/vcf/VcfLineParser.h"

#include "source/values/SharedNames.h"

#include <algorithm>
#include <cstring>

using namespace VcfText;

namespace {

enum Column { Chrom, Pos, Id, Ref, Alt, Qual, Filter, Info, Format };
constexpr int kFixedColumns = 8;

std::string_view view(const char* begin, const char* end) {
    return std::string_view(begin, size_t(end - begin));
}

bool isBases(std::string_view allele) {
    for (char c : allele)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return !allele.empty();
}

QString text(const char* begin, const char* end) {
    return QString::fromUtf8(begin, int(end - begin));
}

} // namespace

VcfLineParser::VcfLineParser(const VcfSchema& schema, const QList<int>& fieldList, bool trimAlleles)
    : m_schema(schema), m_fieldCount(schema.fields().size()), m_trimAlleles(trimAlleles),
      m_wanted(size_t(m_fieldCount), false), m_infoSeen(schema.infoKeys().size(), 0) {
    for (int idx : fieldList)
        if (idx >= 0 && idx < m_fieldCount)
            m_wanted[size_t(idx)] = true;
    m_wantAlleles =
        m_wanted[VcfSchema::RefAltIdx] || m_wanted[VcfSchema::RefIdx] || m_wanted[VcfSchema::AltIdx];
    m_wantFlags = m_wanted[size_t(schema.flagsIdx())];
    m_wantInfo = m_wantFlags;
    for (const VcfKey& key : schema.infoKeys())
        m_wantInfo = m_wantInfo || (key.field >= 0 && m_wanted[size_t(key.field)]);
    if (schema.samplesIdx() >= 0 && m_wanted[size_t(schema.samplesIdx())])
        m_sampleNames = PVariant(schema.sampleNames());
    for (const VcfKey& key : schema.formatKeys())
        if (m_wanted[size_t(key.field)])
            m_matrix.push_back(std::make_unique<VcfMatrixValues>(key, schema.sampleCount(), &m_texts));
}

VcfLineParser::~VcfLineParser() = default;

bool VcfLineParser::parse(const char* line, int length, VkFeature* feature, QString* problem) {
    m_warnings.clear();
    if (++m_lineStamp == 0) {
        std::fill(m_infoSeen.begin(), m_infoSeen.end(), 0);
        m_lineStamp = 1;
    }
    if (!endAtNul(line, &length, problem))
        return false;
    m_line.assign(line, size_t(length));
    if (!splitColumns(length, problem))
        return false;
    int32_t start = 0;
    if (!readPosition(&start, problem) || !checkReferenceEnd(start, problem))
        return false;
    PVariantVector values(m_fieldCount);
    readAlleles();
    start += m_alleles.trimmed;
    if (m_wantAlleles)
        fillAlleles(values);
    if (m_wanted[VcfSchema::IdIdx])
        values[VcfSchema::IdIdx] = readIds(m_columns[Id]);
    if (m_wanted[VcfSchema::QualIdx])
        values[VcfSchema::QualIdx] = readQuality(m_columns[Qual]);
    if (m_wanted[VcfSchema::FilterIdx])
        values[VcfSchema::FilterIdx] = readFilters(m_columns[Filter]);
    const int32_t end = m_wantInfo ? readInfo(m_columns[Info], values) : findEnd(m_columns[Info]);
    if (m_sampleNames.isValid())
        values[m_schema.samplesIdx()] = m_sampleNames;
    if (!m_matrix.empty() && !readSamples(values, problem))
        return false;
    const int32_t stop = end > 0 ? end : start + int32_t(m_alleles.ref == "-" ? 0 : m_alleles.ref.size());
    *feature = VkFeature(VkSegment(chromosome(m_columns[Chrom]), start, stop), std::move(values));
    return true;
}

QString VcfLineParser::site() const {
    if (m_columnCount < 2)
        return QString::fromUtf8(m_line.c_str());
    return QStringLiteral("%1:%2").arg(QString::fromUtf8(m_columns[Chrom]),
                                       QString::fromUtf8(m_columns[Pos]));
}

// A NUL byte ends the line, as htslib reads it, and what follows is lost. When that loses columns
// the line needs, the line is refused (htslib's record breaks there too); otherwise a warning says
// what was lost.
bool VcfLineParser::endAtNul(const char* line, int* length, QString* problem) {
    const auto* nul = static_cast<const char*>(std::memchr(line, '\0', size_t(*length)));
    if (!nul)
        return true;
    *length = int(nul - line);
    const int column = 1 + int(std::count(line, nul, '\t'));
    const int sampleCount = m_schema.sampleCount();
    const int needed = sampleCount > 0 ? kFixedColumns + 1 + sampleCount : kFixedColumns;
    if (column < needed) {
        *problem =
            QStringLiteral("a NUL byte in column %1 ends the line before its %2 columns (binary data?)")
                .arg(column)
                .arg(needed);
        return false;
    }
    m_warnings.append(
        QStringLiteral("a NUL byte in column %1 ends the line; the rest of it is skipped").arg(column));
    return true;
}

// Cuts the columns the fields need out of the line, each NUL-terminated; the sample columns are
// left as they are.
bool VcfLineParser::splitColumns(int length, QString* problem) {
    char* p = &m_line[0];
    char* const end = p + length;
    const int needed = m_matrix.empty() ? kFixedColumns : kFixedColumns + 1;
    m_columnCount = 0;
    m_samples = nullptr;
    while (m_columnCount < needed) {
        m_columns[m_columnCount++] = p;
        auto* tab = static_cast<char*>(std::memchr(p, '\t', size_t(end - p)));
        if (!tab)
            break;
        *tab = '\0';
        p = tab + 1;
        if (m_columnCount == needed)
            m_samples = p;
    }
    if (m_columnCount >= kFixedColumns)
        return true;
    *problem = QStringLiteral("expected at least 8 tab-separated columns, found %1").arg(m_columnCount);
    return false;
}

bool VcfLineParser::readPosition(int32_t* start, QString* problem) const {
    const char* p = m_columns[Pos];
    int64_t position = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        position = std::min<int64_t>(position * 10 + (*p - '0'), int64_t(INT32_MAX) + 1);
    if (*p || p == m_columns[Pos]) {
        *problem = QStringLiteral("POS '%1' is not a number").arg(QString::fromUtf8(m_columns[Pos]));
        return false;
    }
    if (position > INT32_MAX) {
        *problem = QStringLiteral("POS %1 is beyond the largest position, %2")
                       .arg(QString::fromUtf8(m_columns[Pos]))
                       .arg(INT32_MAX);
        return false;
    }
    *start = int32_t(position - 1);
    return true;
}

// Positions are 32-bit: REF must end within them, which keeps every position derived from it
// (the start after trimming, the stop) in range.
bool VcfLineParser::checkReferenceEnd(int32_t start, QString* problem) const {
    const int64_t end = int64_t(start) + int64_t(std::strlen(m_columns[Ref]));
    if (end <= INT32_MAX)
        return true;
    *problem = QStringLiteral("REF ends at %1, beyond the largest position, %2").arg(end).arg(INT32_MAX);
    return false;
}

const QByteArray& VcfLineParser::chromosome(const char* name) {
    const size_t size = std::strlen(name);
    if (size_t(m_chromosome.size()) != size || std::memcmp(m_chromosome.constData(), name, size) != 0)
        m_chromosome = SharedNames::permanent(name, int(size));
    return m_chromosome;
}

void VcfLineParser::readAlleles() {
    m_alleles.ref = std::string_view(m_columns[Ref]);
    m_alleles.alts.clear();
    m_alleles.trimmed = 0;
    const char* p = m_columns[Alt];
    if (!isMissing(p, ColumnEnd)) {
        for (const char* next = p;; p = next + 1) {
            next = p + std::strcspn(p, ",");
            m_alleles.alts.push_back(view(p, next));
            if (!*next)
                break;
        }
    }
    if (m_trimAlleles)
        trimAlleles();
}

// Symbolic alleles (<DEL>, breakends, "*") are left as they are.
void VcfLineParser::trimAlleles() {
    if (m_alleles.alts.empty() || !isBases(m_alleles.ref))
        return;
    size_t common = m_alleles.ref.size();
    for (std::string_view alt : m_alleles.alts) {
        if (!isBases(alt))
            return;
        size_t shared = 0;
        while (shared < common && shared < alt.size() && alt[shared] == m_alleles.ref[shared])
            ++shared;
        common = shared;
    }
    m_alleles.trimmed = int32_t(common);
    m_alleles.ref.remove_prefix(common);
    if (m_alleles.ref.empty())
        m_alleles.ref = "-";
    for (std::string_view& alt : m_alleles.alts) {
        alt.remove_prefix(common);
        if (alt.empty())
            alt = "-";
    }
}

void VcfLineParser::fillAlleles(PVariantVector& values) {
    const Alleles& alleles = m_alleles;
    if (m_wanted[VcfSchema::RefIdx])
        values[VcfSchema::RefIdx] = PVariant(m_texts.text(alleles.ref.data(), int(alleles.ref.size())));
    if (m_wanted[VcfSchema::AltIdx]) {
        QVector<QByteArray> alts;
        alts.reserve(int(alleles.alts.size()));
        for (std::string_view alt : alleles.alts)
            alts.append(m_texts.text(alt.data(), int(alt.size())));
        values[VcfSchema::AltIdx] = PVariant(std::move(alts));
    }
    if (m_wanted[VcfSchema::RefAltIdx]) {
        m_joined.assign(alleles.ref);
        for (std::string_view alt : alleles.alts)
            m_joined.append(1, '/').append(alt);
        values[VcfSchema::RefAltIdx] = PVariant(m_texts.text(m_joined.data(), int(m_joined.size())));
    }
}

PVariant VcfLineParser::readIds(const char* p) const {
    QVector<QByteArray> ids;
    if (isMissing(p, SemicolonListEnd))
        return PVariant(ids);
    for (const char* next = p;; p = next + 1) {
        next = p + std::strcspn(p, ";");
        ids.append(QByteArray(p, int(next - p)));
        if (!*next)
            break;
    }
    return PVariant(std::move(ids));
}

PVariant VcfLineParser::readQuality(const char* p) {
    float quality = PVariant::MissingFloat;
    Status status = Status::Ok;
    readFloat(p, ColumnEnd, &quality, &status);
    if (status == Status::Invalid || status == Status::OutOfRange)
        m_warnings.append(
            QStringLiteral("QUAL '%1' is not a number; read as missing").arg(QString::fromUtf8(p)));
    return PVariant(quality);
}

// A filter the header does not declare keeps its name, with a missing code. A file uses a few
// FILTER texts over and over: a record with a recent one shares its value.
PVariant VcfLineParser::readFilters(const char* p) {
    for (const RecentFilters& recent : m_recentFilters)
        if (recent.value.isValid() && recent.text == p)
            return recent.value;
    RecentFilters& oldest = m_recentFilters[m_nextRecentFilters];
    m_nextRecentFilters = (m_nextRecentFilters + 1) % m_recentFilters.size();
    oldest.text = p;
    oldest.value = filtersOf(p);
    return oldest.value;
}

PVariant VcfLineParser::filtersOf(const char* p) {
    CategoricalVector filters;
    if (isMissing(p, SemicolonListEnd))
        return PVariant(filters);
    for (const char* next = p;; p = next + 1) {
        next = p + std::strcspn(p, ";");
        const int code = m_schema.filterCode(view(p, next));
        if (code >= 0) {
            filters.append(code, m_schema.filterName(code));
        } else if (next > p) {
            warnUndeclared("FILTER", p, int(next - p));
            filters.append(PVariant::MissingCategorical, m_texts.text(p, int(next - p)));
        }
        if (!*next)
            break;
    }
    return PVariant(filters);
}

int32_t VcfLineParser::readInfo(char* p, PVariantVector& values) {
    for (const VcfKey& key : m_schema.infoKeys())
        if (key.field >= 0 && m_wanted[size_t(key.field)])
            values[key.field] = PVariant::missing(m_schema.fields().at(key.field).valueType);
    m_flagCodes.clear();
    int32_t end = 0;
    while (*p) {
        const char* key = p;
        while (*p && *p != '=' && *p != ';')
            ++p;
        const std::string_view id = view(key, p);
        const char* value = nullptr;
        if (*p == '=') {
            value = ++p;
            p += skipTo(p, InfoValueEnd) - p;
        }
        if (*p == ';')
            *p++ = '\0';
        if (id.empty() || id == ".")
            continue;
        const VcfKey* declared = m_schema.infoKey(id);
        if (declared && !firstOnLine(*declared))
            continue;
        if (id == "END" && value) {
            Status status = Status::Ok;
            readInt(value, InfoElementEnd, &end, &status);
        }
        if (!declared)
            warnUndeclared("INFO", key, int(id.size()));
        else if (declared->kind == VcfKey::Flag && m_wantFlags)
            m_flagCodes.push_back(declared->flagCode);
        else if (declared->field >= 0 && value && m_wanted[size_t(declared->field)])
            readInfoValue(*declared, value, &values[declared->field]);
    }
    if (m_wantFlags)
        values[m_schema.flagsIdx()] = flagsValue();
    return end > 0 ? end : 0;
}

// The flags of the line. A file sets a few combinations of flags over and over: a record with a
// recent one shares its value.
PVariant VcfLineParser::flagsValue() {
    for (const RecentFlags& recent : m_recentFlags)
        if (recent.value.isValid() && recent.codes == m_flagCodes)
            return recent.value;
    CategoricalVector flags;
    for (int32_t code : m_flagCodes)
        flags.append(code, m_schema.flagName(code));
    RecentFlags& oldest = m_recentFlags[m_nextRecentFlags];
    m_nextRecentFlags = (m_nextRecentFlags + 1) % m_recentFlags.size();
    oldest.codes = m_flagCodes;
    oldest.value = PVariant(flags);
    return oldest.value;
}

// A key given twice keeps its first value, as htslib reads it, with a warning the first time.
bool VcfLineParser::firstOnLine(const VcfKey& key) {
    uint32_t& seen = m_infoSeen[size_t(&key - m_schema.infoKeys().data())];
    if (seen != m_lineStamp) {
        seen = m_lineStamp;
        return true;
    }
    if (firstWarning("duplicate INFO " + key.id))
        m_warnings.append(
            QStringLiteral("INFO %1 is given more than once on the line; the first value is kept")
                .arg(QString::fromUtf8(key.id)));
    return false;
}

// END without reading anything else of the INFO column.
int32_t VcfLineParser::findEnd(const char* p) const {
    for (const char* found = std::strstr(p, "END="); found; found = std::strstr(found + 4, "END=")) {
        if (found != p && found[-1] != ';')
            continue;
        int32_t end = 0;
        Status status = Status::Ok;
        readInt(found + 4, InfoElementEnd, &end, &status);
        return end > 0 ? end : 0;
    }
    return 0;
}

void VcfLineParser::readInfoValue(const VcfKey& key, const char* p, PVariant* value) {
    if (isMissing(p, InfoValueEnd))
        return;
    const char* begin = p;
    Status status = Status::Ok;
    bool malformed = false;
    if (key.kind == VcfKey::String) {
        if (!key.list) {
            *value = PVariant(QByteArray(p, int(std::strlen(p))));
            return;
        }
        QVector<QByteArray> texts;
        for (const char* next = p;; p = next + 1) {
            next = skipTo(p, InfoElementEnd);
            texts.append(isMissing(p, InfoElementEnd) ? QByteArray() : QByteArray(p, int(next - p)));
            if (*next != ',')
                break;
        }
        *value = PVariant(std::move(texts));
        return;
    }
    if (key.kind == VcfKey::Int) {
        QVector<int32_t> numbers;
        for (;; ++p) {
            int32_t number;
            p = readInt(p, InfoElementEnd, &number, &status);
            malformed = malformed || status == Status::Invalid || status == Status::OutOfRange;
            numbers.append(number);
            if (*p != ',' || !key.list)
                break;
        }
        *value = key.list ? PVariant(std::move(numbers)) : PVariant(numbers.first());
    } else {
        QVector<float> numbers;
        for (;; ++p) {
            float number;
            p = readFloat(p, InfoElementEnd, &number, &status);
            malformed = malformed || status == Status::Invalid || status == Status::OutOfRange;
            numbers.append(number);
            if (*p != ',' || !key.list)
                break;
        }
        *value = key.list ? PVariant(std::move(numbers)) : PVariant(numbers.first());
    }
    if (malformed)
        m_warnings.append(
            QStringLiteral("INFO %1 value '%2' is not %3; read as missing")
                .arg(QString::fromUtf8(key.id), QString::fromUtf8(begin),
                     key.kind == VcfKey::Int ? QStringLiteral("an integer") : QStringLiteral("a number")));
}

bool VcfLineParser::readSamples(PVariantVector& values, QString* problem) {
    const int sampleCount = m_schema.sampleCount();
    if (m_columnCount <= kFixedColumns) {
        *problem = QStringLiteral("expected %1 columns (9 and one per sample), found %2")
                       .arg(kFixedColumns + 1 + sampleCount)
                       .arg(m_columnCount);
        return false;
    }
    resolveFormat(m_columns[Format]);
    for (const auto& matrix : m_matrix)
        matrix->begin();
    const int keyCount = int(m_lineColumns.size());
    const char* p = m_samples;
    for (int sample = 0; keyCount > 0 && sample < sampleCount; ++sample) {
        if (sample > 0 && *p++ != '\t')
            p = nullptr;
        if (!p) {
            *problem = QStringLiteral("expected %1 columns (9 and one per sample), found %2")
                           .arg(kFixedColumns + 1 + sampleCount)
                           .arg(kFixedColumns + 1 + sample);
            return false;
        }
        const char* sampleText = p;
        // htslib does not count an empty column as a sample; "." is a sample without values.
        if (ColumnEnd(*p)) {
            *problem = QStringLiteral("the column of sample %1 is empty")
                           .arg(QString::fromUtf8(m_schema.sampleNames().at(sample)));
            return false;
        }
        for (int k = 0;; ++k) {
            VcfMatrixValues* matrix = k < keyCount ? m_lineColumns[size_t(k)] : nullptr;
            const char* next = matrix ? matrix->read(sample, p) : skipTo(p, SampleValueEnd);
            if (!next || k >= keyCount) {
                const QByteArray& name = m_schema.sampleNames().at(sample);
                *problem = !next ? QStringLiteral("FORMAT %1 of sample %2: %3")
                                       .arg(QString::fromUtf8(matrix->key().id), QString::fromUtf8(name),
                                            matrix->problem())
                                 : QStringLiteral("sample %1 has more values than FORMAT keys ('%2')")
                                       .arg(QString::fromUtf8(name), text(sampleText, skipTo(p, ColumnEnd)));
                return false;
            }
            p = next;
            if (*p != ':')
                break;
            ++p;
        }
    }
    // htslib drops sample columns beyond the header's names without a word.
    if (keyCount > 0 && *p == '\t' && firstWarning("extra samples"))
        m_warnings.append(QStringLiteral("the line has more sample columns than the header's %1 sample "
                                         "names; the extra columns are skipped")
                              .arg(sampleCount));
    for (const auto& matrix : m_matrix)
        values[matrix->key().field] = matrix->take();
    return true;
}

// Maps the keys of a FORMAT column to the collectors asked for; consecutive lines usually share
// their FORMAT text, so the mapping is kept until it changes.
void VcfLineParser::resolveFormat(const char* format) {
    if (m_formatResolved && m_format == format)
        return;
    m_formatResolved = true;
    m_format = format;
    m_lineColumns.clear();
    if (m_format == "." || m_format.empty())
        return;
    for (const char *p = format, *next = p;; p = next + 1) {
        next = p + std::strcspn(p, ":");
        const VcfKey* key = m_schema.formatKey(view(p, next));
        VcfMatrixValues* column = nullptr;
        if (!key)
            warnUndeclared("FORMAT", p, int(next - p));
        for (const auto& matrix : m_matrix)
            if (key && matrix->key().field == key->field)
                column = matrix.get();
        for (VcfMatrixValues* earlier : m_lineColumns)
            if (earlier == column)
                column = nullptr;
        m_lineColumns.push_back(column);
        if (!*next)
            break;
    }
}

void VcfLineParser::warnUndeclared(const char* kind, const char* id, int length) {
    const QByteArray name = QByteArray(kind) + ' ' + QByteArray(id, length);
    if (firstWarning(name))
        m_warnings.append(
            QStringLiteral("%1 is not defined in the header; it is skipped").arg(QString::fromUtf8(name)));
}

bool VcfLineParser::firstWarning(const QByteArray& topic) {
    if (m_warned.contains(topic))
        return false;
    m_warned.insert(topic);
    return true;
}
