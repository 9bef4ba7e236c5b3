#include "formats/bbi/BigBedColumns.h"

#include <QRegularExpression>

#include <limits>

namespace {
// The value type of an autoSql type ("uint", "float", "char", "string" ...), alone or as a list.
ValueType typeOf(const QString& base, bool list) {
    static const QStringList ints = {QStringLiteral("int"),   QStringLiteral("uint"),
                                     QStringLiteral("short"), QStringLiteral("ushort"),
                                     QStringLiteral("byte"),  QStringLiteral("ubyte")};
    ValueType element = ValueType::String;
    if (ints.contains(base))
        element = ValueType::Int;
    else if (base == QLatin1String("float"))
        element = ValueType::Float;
    else if (base == QLatin1String("double"))
        element = ValueType::Float64;
    else if (base == QLatin1String("bigint"))
        element = list ? ValueType::String : ValueType::Int64;
    // A char[n] is text, not a list.
    if (!list || base == QLatin1String("char"))
        return element;
    return ValueTypes::arrayOf(element);
}

VkFieldList standardBedFields(int fieldCount) {
    static const struct {
        const char* name;
        ValueType type;
    } bed[] = {{"name", ValueType::String},         {"score", ValueType::Int},
               {"strand", ValueType::String},       {"thickStart", ValueType::Int},
               {"thickEnd", ValueType::Int},        {"itemRgb", ValueType::String},
               {"blockCount", ValueType::Int},      {"blockSizes", ValueType::IntArray},
               {"chromStarts", ValueType::IntArray}};
    VkFieldList fields;
    for (int i = 3; i < fieldCount; ++i) {
        const int idx = i - 3;
        const bool known = idx < int(sizeof(bed) / sizeof(bed[0]));
        const QByteArray name = known ? QByteArray(bed[idx].name) : "field" + QByteArray::number(i + 1);
        fields.append(VkField(idx, name, name, known ? bed[idx].type : ValueType::String));
    }
    return fields;
}

template <class T> T number(const char* text, int size, bool* ok) {
    const QByteArray raw = QByteArray::fromRawData(text, size);
    if constexpr (std::is_same_v<T, qlonglong>)
        return raw.toLongLong(ok);
    else if constexpr (std::is_same_v<T, float>)
        return raw.toFloat(ok);
    else
        return raw.toDouble(ok);
}

PVariant scalar(ValueType type, const char* text, int size) {
    bool ok = false;
    switch (type) {
    case ValueType::Int: {
        const qlonglong v = number<qlonglong>(text, size, &ok);
        const bool fits =
            ok && v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
        return PVariant(fits ? int(v) : PVariant::MissingInt);
    }
    case ValueType::Int64: {
        const qlonglong v = number<qlonglong>(text, size, &ok);
        return PVariant(ok ? v : qlonglong(PVariant::MissingInt64));
    }
    case ValueType::Float: {
        const float v = number<float>(text, size, &ok);
        return PVariant(ok ? v : PVariant::MissingFloat);
    }
    case ValueType::Float64: {
        const double v = number<double>(text, size, &ok);
        return PVariant(ok ? v : PVariant::MissingFloat64);
    }
    default:
        return PVariant(QByteArray(text, size));
    }
}

// Lists are written with a comma after each element ("10,20,").
template <class T, class Get> QVector<T> list(ValueType element, const char* text, int size, Get get) {
    QVector<T> values;
    for (int from = 0; from < size;) {
        int to = from;
        while (to < size && text[to] != ',')
            ++to;
        if (to > from)
            values.append(get(scalar(element, text + from, to - from)));
        from = to + 1;
    }
    return values;
}
} // namespace

namespace BigBedColumns {

VkFieldList fields(const QByteArray& autoSql, int fieldCount) {
    static const QRegularExpression column(QStringLiteral(
        "^\\s*([A-Za-z]+)\\s*(\\[[^\\]]*\\]|\\([^)]*\\))?\\s+(\\w+)\\s*;\\s*(?:\"([^\"]*)\")?"));
    const int open = autoSql.indexOf('(');
    if (open < 0)
        return standardBedFields(fieldCount);
    VkFieldList fields;
    int columnIndex = 0;
    for (const QByteArray& line : autoSql.mid(open + 1).split('\n')) {
        const QRegularExpressionMatch match = column.match(QString::fromUtf8(line));
        if (!match.hasMatch() || columnIndex++ < 3)
            continue;
        const QByteArray name = match.captured(3).toUtf8();
        const QString base = match.captured(1);
        const bool isEnum = base == QLatin1String("enum") || base == QLatin1String("set");
        const bool isList = match.capturedLength(2) > 0 && match.captured(2).startsWith(QLatin1Char('['));
        VkField field(fields.size(), name, name, isEnum ? ValueType::String : typeOf(base, isList));
        field.doc = match.captured(4);
        fields.append(field);
    }
    return fields;
}

PVariant value(ValueType type, const char* text, int size) {
    switch (type) {
    case ValueType::IntArray:
        return PVariant(
            list<int32_t>(ValueType::Int, text, size, [](const PVariant& v) { return v.intValue(); }));
    case ValueType::FloatArray:
        return PVariant(
            list<float>(ValueType::Float, text, size, [](const PVariant& v) { return v.floatValue(); }));
    case ValueType::Float64Array:
        return PVariant(
            list<double>(ValueType::Float64, text, size, [](const PVariant& v) { return v.float64Value(); }));
    case ValueType::StringArray:
        return PVariant(
            list<QByteArray>(ValueType::String, text, size, [](const PVariant& v) { return v.bytes(); }));
    default:
        return scalar(type, text, size);
    }
}

} // namespace BigBedColumns
