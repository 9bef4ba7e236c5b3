#include "formats/vcf/VcfColumns.h"

#include <initializer_list>

namespace {
bool namedAs(const VkField& field, std::initializer_list<const char*> texts) {
    const QByteArray symbol = field.symbol.toUpper();
    const QByteArray name = field.name.toUpper();
    for (const char* text : texts)
        if (symbol == text || name == text)
            return true;
    return false;
}

// The first field of a column's role takes the column; a later one, such as an INFO key named ID,
// keeps its values as an INFO or FORMAT entry.
void claim(int* column, int idx, QVector<int>* entries) {
    if (*column < 0)
        *column = idx;
    else
        entries->append(idx);
}
} // namespace

VcfColumns::Role VcfColumns::roleOf(const VkField& field) {
    if (field.fieldType == VkField::EntityAttribute)
        return SampleLabels;
    if (field.fieldType == VkField::Matrix)
        return namedAs(field, {"GT", "G_T", "GENOTYPES"}) ? Genotype : Format;
    if (field.fieldType != VkField::LocusAttribute)
        return None;
    if (namedAs(field, {"ID", "IDENTIFIER", "RS ID", "RS IDENTIFIER", "DBSNP RS ID"}))
        return Id;
    if (namedAs(field, {"REF"}))
        return Ref;
    if (namedAs(field, {"ALT"}))
        return Alt;
    if (namedAs(field, {"REFALT", "REF/ALT"}))
        return RefAlt;
    if (namedAs(field, {"QUALITY", "QUAL"}))
        return Qual;
    if (namedAs(field, {"FILTER"}))
        return Filter;
    if (namedAs(field, {"FLAGS"}))
        return Flags;
    return Info;
}

VcfColumns VcfColumns::of(const VkFieldList& schema, const QVector<int>& selection) {
    VcfColumns columns;
    QVector<int> indexes = selection;
    if (indexes.isEmpty())
        for (int idx = 0; idx < schema.size(); ++idx)
            indexes.append(idx);
    for (int idx : indexes) {
        if (idx < 0 || idx >= schema.size())
            continue;
        switch (roleOf(schema.at(idx))) {
        case Id:
            claim(&columns.id, idx, &columns.info);
            break;
        case Ref:
            claim(&columns.ref, idx, &columns.info);
            break;
        case Alt:
            claim(&columns.alt, idx, &columns.info);
            break;
        case RefAlt:
            claim(&columns.refAlt, idx, &columns.info);
            break;
        case Qual:
            claim(&columns.qual, idx, &columns.info);
            break;
        case Filter:
            claim(&columns.filter, idx, &columns.info);
            break;
        case Flags:
            claim(&columns.flags, idx, &columns.info);
            break;
        case Genotype:
            claim(&columns.genotype, idx, &columns.format);
            break;
        case SampleLabels:
            columns.sampleLabels = idx;
            break;
        case Info:
            columns.info.append(idx);
            break;
        case Format:
            columns.format.append(idx);
            break;
        case None:
            break;
        }
    }
    return columns;
}

const char* VcfColumns::typeName(ValueType type) {
    switch (type) {
    case ValueType::Int:
    case ValueType::IntArray:
        return "Integer";
    case ValueType::Float64:
    case ValueType::Float:
    case ValueType::FloatArray:
    case ValueType::Float64Array:
        return "Float";
    default:
        return "String";
    }
}

QByteArray VcfColumns::number(const VkField& field) {
    const QByteArray stored = field.props.value("Number").bytes();
    if (!stored.isEmpty())
        return stored;
    return ValueTypes::isVector(field.valueType) ? QByteArray(".") : QByteArray("1");
}
