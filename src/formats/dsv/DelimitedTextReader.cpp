#include "formats/dsv/DelimitedTextReader.h"

#include <algorithm>

namespace DelimitedText {

namespace {
SplitRule splitRule(const DelimitedTextReaderOptions& options, const QString& delimiter, int method,
                    bool isLine) {
    SplitRule rule;
    rule.delimiter = delimiter.toUtf8();
    // Left to the reader, only comma-separated lines honour quotes: in tab-separated files a
    // leading quote is as likely to be data.
    rule.quoted = method == QuoteSplit || (method == UnknownSplit && isLine && rule.delimiter == ",");
    QByteArray quotes;
    for (const QString& quote : options.quoteList())
        quotes.append(quote.toUtf8().left(1));
    if (!quotes.isEmpty())
        rule.quotes = quotes;
    const QByteArray escape = options.quoteEscape().toUtf8();
    rule.escape = escape.isEmpty() ? '\0' : escape[0];
    rule.removeQuotes = options.quoteRemove();
    if (!isLine) {
        rule.dropEmpty = options.removeEmptyListValues();
        rule.dropEmptyLast = options.removeEmptyLastListValue();
    }
    return rule;
}

template <class T, class Parse>
PVariant listOf(const std::vector<Span>& items, const Reader& reader, T missing, Parse parse) {
    QVector<T> values;
    values.reserve(int(items.size()));
    for (const Span& item : items) {
        T value = missing;
        if (!reader.isMissing(item.data, item.size) && !parse(item, &value))
            value = missing;
        values.append(value);
    }
    return PVariant(std::move(values));
}
} // namespace

Reader::Reader(const DelimitedTextReaderOptions& options)
    : m_options(options.isNull() ? DelimitedTextReaderOptions() : options.clone()),
      m_lines(splitRule(m_options, m_options.fieldDelimiter(), m_options.splitLineMethod(), true)),
      m_lists(splitRule(m_options, m_options.listDelimiter(), m_options.splitValueMethod(), false)),
      m_headerPattern(m_options.headerLinePatternType(), m_options.headerLinePattern().toUtf8(),
                      m_options.headerLinePatternCase()),
      m_ignorePattern(m_options.ignoreLinePatternType(), m_options.ignoreLinePattern().toUtf8(),
                      m_options.ignoreLinePatternCase()),
      m_genomic{m_options.genomicSegmentIndex(), m_options.genomicStartIndex(), m_options.genomicStopIndex()},
      m_headerLine(m_options.headerLine()), m_maxHeaderSearch(m_options.maxHeaderSearchLineCount()),
      m_maxTypeSamples(m_options.maxFieldTypeSampleCount()),
      m_maxListSamples(m_options.maxListTypeSampleCount()), m_ignoreBlank(m_options.ignoreBlankLines()),
      m_headerModify(m_options.headerLineModify()), m_requireCount(m_options.requireFieldCountMatch()),
      m_dynamic(m_options.dynamicFieldList()), m_trim(m_options.trimChrName()),
      m_oneBased(m_options.genomicStartOneBased()), m_dataStart(m_options.dataStartPosition()) {
    const QVector<QString> patterns = m_options.missingPatternList();
    const QVector<int> kinds = m_options.missingPatternTypeList();
    const QVector<bool> cases = m_options.missingPatternCaseList();
    for (int i = 0; i < patterns.size(); ++i) {
        const TextPattern& pattern = m_missing.emplace_back(kinds.value(i, TextPattern::Equals),
                                                            patterns[i].toUtf8(), cases.value(i, false));
        if (pattern.kind() == TextPattern::Equals && pattern.pattern().size() < 64)
            m_missingLengths |= uint64_t(1) << pattern.pattern().size();
        else if (pattern.kind() != TextPattern::None)
            m_missingAnyLength = true;
    }
    m_headerFromFile = m_headerLine >= 0 || m_headerPattern.kind() != TextPattern::None;
    for (const TextPattern* pattern : {&m_headerPattern, &m_ignorePattern})
        if (!pattern->isValid())
            m_error = pattern->errorText();
    for (const TextPattern& pattern : m_missing)
        if (!pattern.isValid())
            m_error = pattern.errorText();
}

Reader::Probe Reader::fail(const QString& error) {
    m_error = error;
    return Probe::Failed;
}

bool Reader::isSkipped(const char* line, int size) const {
    return (size == 0 && m_ignoreBlank) ||
           (m_ignorePattern.kind() != TextPattern::None && m_ignorePattern.matches(line, size));
}

bool Reader::isMissing(const char* data, int size) const {
    if (size == 0)
        return true;
    // Most values are numbers or names of other lengths than the missing tokens.
    if (!m_missingAnyLength && (size >= 64 || !((m_missingLengths >> size) & 1)))
        return false;
    for (const TextPattern& pattern : m_missing)
        if (pattern.matches(data, size))
            return true;
    return false;
}

Reader::Probe Reader::probeLine(const char* line, int size, qint64 position) {
    if (hasError())
        return Probe::Failed;
    ++m_lineNumber;
    if (!isValidUtf8(line, size))
        return fail(
            QStringLiteral("File contains non-text (non-UTF8) binary data on line %1").arg(m_lineNumber));
    if (isSkipped(line, size))
        return Probe::NeedMore;
    if (m_headerPending && m_headerFromFile)
        return findHeader(line, size);
    if (m_headerPending) {
        if (!takeGeneratedHeader(line, size))
            return Probe::Failed;
    }
    sampleDataLine(line, size, position);
    return m_maxTypeSamples > 0 && m_sampled >= m_maxTypeSamples ? Probe::Complete : Probe::NeedMore;
}

Reader::Probe Reader::findHeader(const char* line, int size) {
    const bool isHeader =
        m_headerLine >= 0 ? m_keptLines == m_headerLine : m_headerPattern.matches(line, size);
    ++m_keptLines;
    if (isHeader)
        return takeHeader(line, size) ? Probe::NeedMore : Probe::Failed;
    if (m_maxHeaderSearch > 0 && m_lineNumber >= m_maxHeaderSearch)
        return Probe::HeaderNotFound;
    return Probe::NeedMore;
}

bool Reader::takeHeader(const char* line, int size) {
    QByteArray text(line, size);
    if (m_headerModify && m_headerPattern.kind() != TextPattern::None)
        text = m_headerPattern.removeMatch(text);
    m_lines.split(text.constData(), text.size(), m_cells);
    if (m_cells.size() == 1 && m_cells[0].size == 0) {
        m_error = QStringLiteral("Field name line contains no data");
        return false;
    }
    for (const Span& name : m_cells)
        m_columns.names.append(name.toByteArray().trimmed());
    m_headerPending = false;
    return true;
}

bool Reader::takeGeneratedHeader(const char* line, int size) {
    m_lines.split(line, size, m_cells);
    if (m_cells.size() == 1 && m_cells[0].size == 0) {
        m_error = QStringLiteral("First line contains no data");
        return false;
    }
    for (size_t i = 0; i < m_cells.size(); ++i)
        m_columns.names.append(generatedName(int(i)));
    m_headerPending = false;
    return true;
}

// Columns past the header's are named like columns without a header line; within a header an
// empty name is later replaced by "Field " and the column number.
QByteArray Reader::generatedName(int column) const {
    if (m_headerFromFile)
        return QByteArray();
    return m_options.headerLineAutoGenPrefix().toUtf8() + QByteArray::number(column + 1);
}

void Reader::sampleDataLine(const char* line, int size, qint64 position) {
    if (m_dataStartPending) {
        m_dataStart = position;
        m_dataStartPending = false;
    }
    m_lines.split(line, size, m_cells);
    const int count = int(m_cells.size());
    while (m_dynamic && m_columns.names.size() < count)
        m_columns.names.append(generatedName(m_columns.names.size()));
    if (m_requireCount && count != m_columns.names.size())
        return;
    m_votes.resize(size_t(m_columns.names.size()));
    for (int i = 0; i < std::min(count, m_columns.names.size()); ++i)
        vote(m_votes[size_t(i)], m_cells[size_t(i)]);
    ++m_sampled;
}

void Reader::vote(ColumnVote& column, Span value) {
    if (isMissing(value.data, value.size))
        return;
    if (!m_lists.containsDelimiter(value.data, value.size)) {
        column.kind = std::max(column.kind, classify(value.data, value.size));
        return;
    }
    column.list = true;
    if (m_maxListSamples > 0 && column.listSamples >= m_maxListSamples)
        return;
    ++column.listSamples;
    m_lists.split(value.data, value.size, m_items);
    for (const Span& item : m_items)
        if (!isMissing(item.data, item.size))
            column.kind = std::max(column.kind, classify(item.data, item.size));
}

// Whole numbers are Int, other numbers Float64, anything else (or nothing) String; a column
// in which some value holds the list delimiter is an array of that.
ValueType Reader::votedType(const ColumnVote& column) const {
    ValueType type = ValueType::String;
    if (column.kind == ValueKind::Int)
        type = ValueType::Int;
    else if (column.kind == ValueKind::Float)
        type = ValueType::Float64;
    return column.list ? ValueTypes::arrayOf(type) : type;
}

bool Reader::finishProbe() {
    if (hasError())
        return false;
    if (m_dataStartPending) {
        m_error = QStringLiteral("File does not have any data present");
        return false;
    }
    const int count = m_columns.names.size();
    m_votes.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        if (m_columns.names[i].isEmpty())
            m_columns.names[i] = "Field " + QByteArray::number(i + 1);
    // A caller that fixed the names or types of every column keeps them.
    const QVector<QString> givenNames = m_options.fieldNameList();
    const QVector<int> givenTypes = m_options.fieldTypeList();
    for (int i = 0; i < count; ++i) {
        if (givenNames.size() == count)
            m_columns.names[i] = givenNames[i].toUtf8();
        m_columns.types.append(givenTypes.size() == count ? FieldMap::readableType(givenTypes[i])
                                                          : votedType(m_votes[size_t(i)]));
    }
    QVector<int> types;
    QVector<QString> names;
    for (int i = 0; i < count; ++i) {
        types.append(int(m_columns.types[i]));
        names.append(QString::fromUtf8(m_columns.names[i]));
    }
    const bool startGiven = m_genomic.start >= 0;
    m_genomic = detectGenomicColumns(m_columns.names, types, m_genomic);
    // A start column whose name says it counts from 1 (dbNSFP's "pos(1-based)") does.
    if (!startGiven && m_genomic.start >= 0 &&
        m_columns.names[m_genomic.start].toLower().contains("1-based")) {
        m_oneBased = true;
        m_options.setGenomicStartOneBased(true);
    }
    m_options.setFieldNameList(names);
    m_options.setFieldTypeList(types);
    m_options.setDataStartPosition(m_dataStart);
    m_options.setGenomicSegmentIndex(m_genomic.segment);
    m_options.setGenomicStartIndex(m_genomic.start);
    m_options.setGenomicStopIndex(m_genomic.stop);
    m_votes.clear();
    return prepare();
}

bool Reader::prepare() {
    if (hasError())
        return false;
    if (m_prepared)
        return true;
    const QVector<QString> names = m_options.fieldNameList();
    const QVector<int> types = m_options.fieldTypeList();
    m_columns = FieldList();
    for (int i = 0; i < names.size(); ++i) {
        m_columns.names.append(names[i].toUtf8());
        m_columns.types.append(FieldMap::readableType(types.value(i, int(ValueType::String))));
    }
    m_prepared = FieldMap::build(m_columns, m_options, &m_map, &m_error);
    return m_prepared;
}

bool Reader::isDataLine(const char* line, int size, qint64 position) const {
    return position >= m_dataStart && !isSkipped(line, size);
}

Span Reader::cell(int column) const {
    return column >= 0 && size_t(column) < m_cells.size() ? m_cells[size_t(column)] : Span{"", 0};
}

bool Reader::locate(VkSegment* segment) {
    Span chromosome = cell(m_genomic.segment);
    if (m_genomic.segment < 0 || isMissing(chromosome.data, chromosome.size)) {
        *segment = VkSegment(); // not a genomic feature, but still a record
        return true;
    }
    int32_t start = 0;
    int32_t stop = 0;
    bool hasStop = false;
    if (m_genomic.start < 0) {
        if (!parseLocus(chromosome, &chromosome, &start, &stop, &hasStop))
            return false;
    } else {
        const Span startText = cell(m_genomic.start);
        if (!parseInt(startText.data, startText.size, &start))
            return false;
        const Span stopText = cell(m_genomic.stop);
        hasStop = m_genomic.stop >= 0 && !isMissing(stopText.data, stopText.size);
        if (hasStop && !parseInt(stopText.data, stopText.size, &stop))
            return false;
    }
    if (m_oneBased)
        --start;
    if (!hasStop)
        stop = start + 1;
    chromosome = normalizeChromosome(chromosome, m_trim);
    *segment = VkSegment(m_names.intern(chromosome.data, chromosome.size), start, stop);
    return true;
}

PVariant Reader::convert(Span value, ValueType type) {
    if (isMissing(value.data, value.size))
        return PVariant::missing(type);
    auto parseIntItem = [](Span s, int32_t* v) { return parseInt(s.data, s.size, v); };
    auto parseRealItem = [](Span s, double* v) { return parseDouble(s.data, s.size, v); };
    switch (type) {
    case ValueType::Int: {
        int32_t number = 0;
        return parseInt(value.data, value.size, &number) ? PVariant(int(number)) : PVariant::missing(type);
    }
    case ValueType::Int64: {
        int64_t number = 0;
        return parseInt64(value.data, value.size, &number) ? PVariant((long long)number)
                                                           : PVariant::missing(type);
    }
    case ValueType::Float:
    case ValueType::Float64: {
        double number = 0;
        if (!parseDouble(value.data, value.size, &number))
            return PVariant::missing(type);
        return type == ValueType::Float ? PVariant(float(number)) : PVariant(number);
    }
    case ValueType::IntArray:
        m_lists.split(value.data, value.size, m_items);
        return listOf<int32_t>(m_items, *this, PVariant::MissingInt, parseIntItem);
    case ValueType::Float64Array:
        m_lists.split(value.data, value.size, m_items);
        return listOf<double>(m_items, *this, PVariant::MissingFloat64, parseRealItem);
    case ValueType::FloatArray:
        m_lists.split(value.data, value.size, m_items);
        return listOf<float>(m_items, *this, PVariant::MissingFloat, [](Span s, float* v) {
            double number = 0;
            return parseDouble(s.data, s.size, &number) && ((*v = float(number)), true);
        });
    case ValueType::StringArray:
        m_lists.split(value.data, value.size, m_items);
        return listOf<QByteArray>(m_items, *this, QByteArray(), [](Span s, QByteArray* v) {
            *v = s.toByteArray();
            return true;
        });
    default:
        return PVariant(value.toByteArray());
    }
}

bool Reader::readFeature(const char* line, int size, const QList<int>& fields, VkFeature* feature) {
    m_lines.split(line, size, m_cells);
    if (m_requireCount && int(m_cells.size()) != m_columns.names.size())
        return false;
    VkSegment segment;
    if (!locate(&segment))
        return false;
    PVariantVector values(m_map.size());
    for (int field : fields)
        if (field >= 0 && field < m_map.size())
            values[field] = convert(cell(m_map.column(field)), m_map.type(field));
    *feature = VkFeature(std::move(segment), std::move(values));
    return true;
}

} // namespace DelimitedText
