#include "transforms/join/JoinFieldGroups.h"

#include "source/values/CategoricalVector.h"

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cstring>

bool JoinFieldGroup::filter(const VkFeature&, const JoinMatches&, std::vector<char>& flags) const {
    return std::find(flags.begin(), flags.end(), 1) != flags.end();
}

namespace JoinFields {

int find(const VkFieldList& schema, const QString& key) {
    const QByteArray bytes = key.trimmed().toUtf8();
    for (const VkField& field : schema)
        if (!field.symbol.isEmpty() && field.symbol == bytes)
            return field.idx;
    for (const VkField& field : schema)
        if (field.name == bytes || QByteArray(field.name).replace('/', "") == bytes)
            return field.idx;
    return -1;
}

} // namespace JoinFields

namespace {

QString unableToFind(const QString& name) {
    return QStringLiteral("Unable to find field ") + name;
}

// Looks every name up; false with the first one missing.
bool findAll(const VkFieldList& schema, const QStringList& names, QList<int>* indexes, QString* error) {
    for (const QString& name : names) {
        const int idx = JoinFields::find(schema, name);
        if (idx < 0) {
            *error = unableToFind(name);
            return false;
        }
        indexes->append(idx);
    }
    return true;
}

// A symbol that can stand in a VCF INFO key: the source's name with other characters as "_".
QByteArray symbolPrefix(const VkSource& source) {
    QByteArray prefix = QFileInfo(source.info().name.isEmpty() ? source.path() : source.info().name)
                            .completeBaseName()
                            .toUtf8();
    for (char& c : prefix)
        if (!std::isalnum(uchar(c)) && c != '_')
            c = '_';
    return prefix.isEmpty() || std::isdigit(uchar(prefix[0])) ? "R_" + prefix : prefix;
}

PVariant missingOf(const VkField& field) {
    return PVariant::missing(field.valueType);
}

} // namespace

bool LeftHandPassThrough::setup(const VkSource& left, const VkSource&, QString* error) {
    m_indexes.clear();
    if (!findAll(left.schema(), m_names, &m_indexes, error))
        return false;
    for (int idx : qAsConst(m_indexes))
        m_fields.append(left.schema().at(idx));
    return true;
}

void LeftHandPassThrough::computeValues(const VkFeature& left, const JoinMatches&, int,
                                        PVariantVector& out) const {
    for (int idx : m_indexes)
        out.append(left.value(idx));
}

bool RightHandPassThrough::setup(const VkSource& left, const VkSource& right, QString* error) {
    m_indexes.clear();
    if (m_names.isEmpty()) {
        for (const VkField& field : right.schema())
            if (field.fieldType == VkField::LocusAttribute)
                m_indexes.append(field.idx);
    } else if (!findAll(right.schema(), m_names, &m_indexes, error)) {
        return false;
    }
    const QByteArray prefix = symbolPrefix(right);
    if (m_withId) {
        VkField id(0, "Right Match", "RIGHT_ID_" + prefix, ValueType::Int);
        id.doc =
            QStringLiteral("The matched record of %1, in the order the join met them").arg(right.info().name);
        m_fields.append(id);
    }
    for (int idx : qAsConst(m_indexes)) {
        VkField field = right.schema().at(idx);
        if (!field.symbol.isEmpty() && JoinFields::find(left.schema(), QString::fromUtf8(field.symbol)) >= 0)
            field.symbol = prefix + '_' + field.symbol;
        // A per-allele count ("A", "R", "G") describes the right record's alleles, not the left's.
        field.props.remove("Number");
        m_fields.append(field);
    }
    return true;
}

void RightHandPassThrough::appendRow(const JoinMatch* match, PVariantVector& out) const {
    if (m_withId)
        out.append(match ? PVariant(int(match->id)) : PVariant::missing(ValueType::Int));
    const int first = m_withId ? 1 : 0;
    for (int i = 0; i < m_indexes.size(); ++i)
        out.append(match ? match->feature.value(m_indexes[i]) : missingOf(m_fields.at(first + i)));
}

void RightHandPassThrough::computeValues(const VkFeature&, const JoinMatches& matches, int row,
                                         PVariantVector& out) const {
    appendRow(row >= 0 && row < matches.size() ? &matches[row] : nullptr, out);
}

void RightHandSingleMatchPassThrough::computeValues(const VkFeature&, const JoinMatches& matches, int,
                                                    PVariantVector& out) const {
    appendRow(matches.isEmpty() ? nullptr : &matches.first(), out);
}

bool UniqFieldValue::setup(const VkSource&, const VkSource& right, QString* error) {
    m_indexes.clear();
    m_inputTypes.clear();
    if (!findAll(right.schema(), m_names, &m_indexes, error))
        return false;
    for (int i = 0; i < m_indexes.size(); ++i) {
        const VkField& input = right.schema().at(m_indexes[i]);
        VkField field = input;
        field.fieldType = VkField::LocusAttribute;
        field.name = m_displayNames.value(i).isEmpty() ? input.name : m_displayNames.value(i).toUtf8();
        field.symbol = m_symbols.value(i).isEmpty() ? input.symbol + "(s)" : m_symbols.value(i).toUtf8();
        field.doc = QStringLiteral("Unique values of all matching records for this field. ") + input.doc;
        if (input.valueType == ValueType::Bool) {
            field.valueType = ValueType::CategoricalArray;
            field.enumValues = {0, 1};
            field.enumNames = {"True", "False"};
        } else if (!ValueTypes::isVector(input.valueType)) {
            field.valueType = input.valueType == ValueType::Categorical
                                  ? ValueType::CategoricalArray
                                  : ValueTypes::arrayOf(input.valueType);
        }
        m_inputTypes.append(input.valueType);
        m_fields.append(field);
    }
    return true;
}

namespace {

template <class T> void addDistinct(QVector<T>& values, const T& value) {
    if (!values.contains(value))
        values.append(value);
}

// The distinct values (or list elements) of one right field over the matches.
PVariant distinctValues(const JoinMatches& matches, int idx, ValueType type) {
    QVector<int32_t> ints;
    QVector<float> floats;
    QVector<double> doubles;
    QVector<QByteArray> texts;
    CategoricalVector categories;
    for (const JoinMatch& match : matches) {
        const PVariant& value = match.feature.value(idx);
        const int count = value.isVector() ? value.size() : (value.isMissing() ? 0 : 1);
        for (int i = 0; i < count; ++i) {
            const PVariant element = value.isVector() ? value.at(i) : value;
            if (element.isMissing())
                continue;
            switch (element.type()) {
            case ValueType::Int:
                addDistinct(ints, element.intValue());
                break;
            case ValueType::Float:
                addDistinct(floats, element.floatValue());
                break;
            case ValueType::Float64:
                addDistinct(doubles, element.float64Value());
                break;
            case ValueType::Bool:
                if (!categories.codes().contains(element.boolByte() ? 0 : 1))
                    categories.append(element.boolByte() ? 0 : 1, element.boolByte() ? "True" : "False");
                break;
            case ValueType::Categorical:
                if (!categories.codes().contains(element.categoricalCode()))
                    categories.append(element.categoricalCode(), element.categoricalName());
                break;
            default:
                addDistinct(texts, element.type() == ValueType::String ? element.bytes() : element.toText());
                break;
            }
        }
    }
    switch (type) {
    case ValueType::Int:
    case ValueType::IntArray:
        return PVariant(ints);
    case ValueType::Float:
    case ValueType::FloatArray:
        return PVariant(floats);
    case ValueType::Float64:
    case ValueType::Float64Array:
        return PVariant(doubles);
    case ValueType::Bool:
    case ValueType::Categorical:
    case ValueType::CategoricalArray:
        return PVariant(categories);
    default:
        return PVariant(texts);
    }
}

} // namespace

void UniqFieldValue::computeValues(const VkFeature&, const JoinMatches& matches, int,
                                   PVariantVector& out) const {
    for (int i = 0; i < m_indexes.size(); ++i)
        out.append(distinctValues(matches, m_indexes[i], m_inputTypes[i]));
}

bool RightHandFeatureCounter::setup(const VkSource&, const VkSource& right, QString*) {
    const QString source = right.info().name;
    if (m_mode == Count) {
        VkField field(0, m_name.isEmpty() ? "# Matched" : m_name.toUtf8(), "MATCHED_COUNT", ValueType::Int);
        field.doc = QStringLiteral("The number of features matched from ") + source;
        m_fields.append(field);
    } else {
        VkField field(0, m_name.isEmpty() ? "Matched?" : m_name.toUtf8(), "MATCHED", ValueType::Bool);
        field.doc = QStringLiteral("True if any features matched in ") + source;
        m_fields.append(field);
    }
    return true;
}

void RightHandFeatureCounter::computeValues(const VkFeature&, const JoinMatches& matches, int,
                                            PVariantVector& out) const {
    out.append(m_mode == Count ? PVariant(int(matches.size())) : PVariant(!matches.isEmpty()));
}

bool RegionPairFieldGroup::setup(const VkSource&, const VkSource&, QString*) {
    VkField region(0, "Region", "REGION", ValueType::String);
    region.urlTemplate = QStringLiteral("lumaview:/api/zoom?locus=$$");
    region.doc = QStringLiteral("The genomic position of the region.");
    VkField span(0, "Span", "SPAN", ValueType::Int);
    span.doc = QStringLiteral("The size of the region (Stop-Stop).");
    VkField similarity(0, "Similarity Coefficient", "SIMILARITY", ValueType::Float);
    similarity.doc =
        QStringLiteral("The similarity of the two overlapping regions, defined as the size of the "
                       "intersection divided by the size of the union, also known as the Jaccard "
                       "index.");
    m_fields = {region, span, similarity};
    return true;
}

namespace {
// "chr:start-stop" with a 1-based start, built in one allocation: a join writes one per match.
QByteArray regionText(const VkSegment& region) {
    char numbers[48];
    char* end = std::to_chars(numbers, numbers + 24, qint64(region.start()) + 1).ptr;
    *end++ = '-';
    end = std::to_chars(end, numbers + sizeof numbers, qint64(region.stop())).ptr;
    const QByteArray& chromosome = region.chromosome();
    QByteArray text(chromosome.size() + 1 + int(end - numbers), Qt::Uninitialized);
    char* out = text.data();
    std::memcpy(out, chromosome.constData(), size_t(chromosome.size()));
    out[chromosome.size()] = ':';
    std::memcpy(out + chromosome.size() + 1, numbers, size_t(end - numbers));
    return text;
}
} // namespace

void RegionPairFieldGroup::computeValues(const VkFeature& left, const JoinMatches& matches, int row,
                                         PVariantVector& out) const {
    const int at = row >= 0 ? row : 0;
    if (at >= matches.size()) {
        out << PVariant::missing(ValueType::String) << PVariant::missing(ValueType::Int)
            << PVariant::missing(ValueType::Float);
        return;
    }
    const VkSegment& r = matches[at].feature.segment();
    const VkSegment& l = left.segment();
    const int64_t intersectionStart = r.start() < l.start() && l.start() < r.stop() ? l.start() : r.start();
    const int64_t intersectionStop = r.start() < l.stop() && l.stop() < r.stop() ? l.stop() : r.stop();
    const int64_t unionLength = int64_t(std::max(l.stop(), r.stop())) - std::min(l.start(), r.start());
    out << PVariant(regionText(r))
        << PVariant(int(int64_t(r.stop()) - r.start()))
        << (unionLength > 0
                ? PVariant(float(100.0 * double(intersectionStop - intersectionStart) / double(unionLength)))
                : PVariant::missing(ValueType::Float));
}

bool CategoriesFilter::setup(const VkSource&, const VkSource& right, QString* error) {
    m_index = JoinFields::find(right.schema(), m_field);
    if (m_index < 0) {
        *error = unableToFind(m_field);
        return false;
    }
    const VkField& field = right.schema().at(m_index);
    if (!field.hasEnum()) {
        *error = QStringLiteral("Filter field is not an enum type: ") + m_field;
        return false;
    }
    m_codes.clear();
    for (const QString& category : m_categories) {
        const int32_t code = field.enumCode(category.toUtf8());
        if (code != PVariant::MissingCategorical)
            m_codes.append(code);
    }
    if (m_codes.isEmpty()) {
        *error = QStringLiteral("None of the provided filter categories found in field: ") + m_field;
        return false;
    }
    return true;
}

bool CategoriesFilter::filter(const VkFeature&, const JoinMatches& candidates,
                              std::vector<char>& flags) const {
    bool any = false;
    for (int i = 0; i < candidates.size(); ++i) {
        if (!flags[size_t(i)])
            continue;
        const PVariant& value = candidates[i].feature.value(m_index);
        bool keep = m_codes.contains(value.categoricalCode());
        if (value.type() == ValueType::CategoricalArray)
            for (int32_t code : value.categoricalVector().codes())
                keep = keep || m_codes.contains(code);
        flags[size_t(i)] = keep;
        any = any || keep;
    }
    return any;
}
