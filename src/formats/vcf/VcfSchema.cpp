#include "formats/vcf/VcfSchema.h"

#include "formats/vcf/VcfHeader.h"
#include "source/values/SharedNames.h"

#include <QSet>

namespace {

struct DisplayName {
    const char* id;
    const char* name;
};

const DisplayName kInfoNames[] = {{"AA", "Ancestral Allele"},
                                  {"AB", "Het Allele Balance"},
                                  {"AC", "Alt Allele Counts"},
                                  {"AF", "Alt Allele Freq"},
                                  {"AN", "#Alleles"},
                                  {"BQ", "Base Qual"},
                                  {"CIGAR", "CIGAR for Alt"},
                                  {"DB", "In dbSNP?"},
                                  {"DP", "Read Depth"},
                                  {"DS", "Was Downsampled?"},
                                  {"END", "End Pos"},
                                  {"H2", "In HapMap2?"},
                                  {"H3", "In HapMap3?"},
                                  {"MQ", "Mapping Qual"},
                                  {"MQ0", "#Multi-Mapped Reads"},
                                  {"NS", "#Samples"},
                                  {"SB", "Strand Bias"},
                                  {"FS", "Strand Bias-Fisher's"},
                                  {"SOMATIC", "Somatic?"},
                                  {"VALIDATED", "Validated?"},
                                  {"QD", "Quality by Depth"},
                                  {"VQSLOD", "Recalibrated Quality"},
                                  {"1000G", "In 1kG?"},
                                  {"Dels", "Frac w/Spanning Deletion"},
                                  {"HRun", "Homopolymer Run Len"}};

const DisplayName kFormatNames[] = {{"AD", "Allelic Depths"},
                                    {"CLCAD2", "Allelic Depths"},
                                    {"GT", "0/1 Genotypes"},
                                    {"DP", "Read Depths"},
                                    {"FT", "Filters"},
                                    {"GL", "GT Likelihoods"},
                                    {"GLE", "GT Likelihoods Enumerated"},
                                    {"PL", "GT Likelihoods Phred"},
                                    {"GP", "GT Posterior Prob"},
                                    {"GQ", "Genotype Qualities"},
                                    {"HQ", "Haplotype Qualities"},
                                    {"PS", "Phased Sets"},
                                    {"PQ", "Phased Qualities"},
                                    {"EC", "Alt Allele Counts"},
                                    {"MQ", "Mapping Qualities"},
                                    {"VAF", "Variant Allele Freq"}};

template <size_t N> QByteArray displayName(const DisplayName (&names)[N], const QByteArray& id) {
    for (const DisplayName& entry : names)
        if (id == entry.id)
            return QByteArray(entry.name);
    return id;
}

VcfKey::Kind kindOf(const QByteArray& type) {
    if (type == "Integer")
        return VcfKey::Int;
    if (type == "Float")
        return VcfKey::Float;
    if (type == "Flag")
        return VcfKey::Flag;
    return VcfKey::String;
}

// A "Number" that is not a plain integer (".", "A", "R", "G" ...) or is above 1 means a list.
bool isList(const QByteArray& number) {
    bool plain = !number.isEmpty();
    for (char c : number)
        plain = plain && c >= '0' && c <= '9';
    return !plain || number.toLongLong() > 1;
}

ValueType valueType(const VcfKey& key) {
    const ValueType scalar = key.kind == VcfKey::Int     ? ValueType::Int
                             : key.kind == VcfKey::Float ? ValueType::Float
                                                         : ValueType::String;
    return key.list ? ValueTypes::arrayOf(scalar) : scalar;
}

// The INFO, FORMAT or FILTER records of the header, first declaration of each ID only.
QVector<const VcfHeaderRecord*> declarations(const VcfHeader& header, const char* key) {
    QVector<const VcfHeaderRecord*> found;
    QSet<QByteArray> ids;
    for (const VcfHeaderRecord& record : header.records()) {
        if (!record.isStructured() || record.key() != key)
            continue;
        const QByteArray id = record.entry("ID");
        if (id.isEmpty() || ids.contains(id))
            continue;
        ids.insert(id);
        found.append(&record);
    }
    return found;
}

QString description(const VcfHeaderRecord& record) {
    return QString::fromUtf8(record.entry("Description"));
}

void setCategories(VkField& field, const QVector<QByteArray>& names, const QVector<QByteArray>& docs) {
    for (int code = 0; code < names.size(); ++code) {
        field.enumValues.append(code);
        field.enumNames.append(SharedNames::permanent(names.at(code).constData(), names.at(code).size()));
    }
    field.props.insert("enumDocs", PVariant(docs));
}

} // namespace

VcfSchema::VcfSchema(const VcfHeader& header) : m_sampleNames(header.sampleNames()) {
    addFixedFields();
    addFilterField(header);
    addInfoFields(header);
    if (!m_sampleNames.isEmpty()) {
        addFormatFields(header);
        addSamplesField();
    }
    indexKeys(m_infoKeys, &m_infoIndex);
    indexKeys(m_formatKeys, &m_formatIndex);
    const QVector<QByteArray>& filters = m_fields.at(FilterIdx).enumNames;
    for (int code = 0; code < filters.size(); ++code)
        m_filterIndex.emplace(std::string_view(filters.at(code).constData(), size_t(filters.at(code).size())),
                              code);
}

int VcfSchema::filterCode(std::string_view name) const {
    const auto found = m_filterIndex.find(name);
    return found == m_filterIndex.end() ? -1 : found->second;
}

VkField& VcfSchema::addField(QByteArray name, QByteArray symbol, ValueType type, int32_t fieldType,
                             QString doc) {
    m_fields.append(VkField(m_fields.size(), std::move(name), std::move(symbol), type, fieldType));
    m_fields.last().doc = std::move(doc);
    return m_fields.last();
}

void VcfSchema::addFixedFields() {
    addField("Ref/Alt", QByteArray(), ValueType::String, VkField::LocusAttribute,
             QStringLiteral("Reference and Alternate alleles in the format Ref/Alt(s)"));
    addField("Identifier", "ID", ValueType::StringArray, VkField::LocusAttribute,
             QStringLiteral("Known identifier (often dbSNP RSID)."))
        .urlTemplate = QStringLiteral("AUTO_RSID_OR_COSM");
    addField("Reference", "REF", ValueType::String, VkField::LocusAttribute,
             QStringLiteral("Reference base(s) at site."));
    addField("Alternates", "ALT", ValueType::StringArray, VkField::LocusAttribute,
             QStringLiteral("List of alternate base(s) at site."));
    addField("Quality", "QUAL", ValueType::Float, VkField::LocusAttribute,
             QStringLiteral("Phred scale quality in Alt call."));
}

void VcfSchema::addFilterField(const VcfHeader& header) {
    QVector<QByteArray> names{"PASS"};
    QVector<QByteArray> docs{"Passes Filters"};
    for (const VcfHeaderRecord* record : declarations(header, "FILTER")) {
        const QByteArray id = record->entry("ID");
        if (id == "PASS")
            continue;
        names.append(id);
        docs.append(record->entry("Description"));
    }
    VkField& field = addField("Filter", "FILTER", ValueType::CategoricalArray, VkField::LocusAttribute,
                              QStringLiteral("Computed filters on the variants."));
    setCategories(field, names, docs);
}

void VcfSchema::addInfoFields(const VcfHeader& header) {
    QVector<QByteArray> flagNames;
    QVector<QByteArray> flagDocs;
    for (const VcfHeaderRecord* record : declarations(header, "INFO")) {
        VcfKey key;
        key.id = record->entry("ID");
        key.kind = kindOf(record->entry("Type"));
        key.list = key.kind != VcfKey::Flag && isList(record->entry("Number"));
        if (key.kind == VcfKey::Flag) {
            key.flagCode = flagNames.size();
            flagNames.append(key.id);
            flagDocs.append(record->entry("Description"));
        } else {
            VkField& field = addField(displayName(kInfoNames, key.id), key.id, valueType(key),
                                      VkField::LocusAttribute, description(*record));
            field.props.insert("Number", PVariant(record->entry("Number")));
            key.field = field.idx;
        }
        m_infoKeys.push_back(key);
    }
    VkField& flags = addField("Flags", QByteArray(), ValueType::CategoricalArray, VkField::LocusAttribute,
                              QStringLiteral("All boolean flags defined in the INFO field"));
    setCategories(flags, flagNames, flagDocs);
    m_flagsIdx = flags.idx;
}

void VcfSchema::addFormatFields(const VcfHeader& header) {
    for (const VcfHeaderRecord* record : declarations(header, "FORMAT")) {
        VcfKey key;
        key.id = record->entry("ID");
        // The FORMAT column is split at ':', so no sample can hold such a key.
        if (key.id.contains(':'))
            continue;
        key.genotype = key.id == "GT";
        key.kind = key.genotype ? VcfKey::String : kindOf(record->entry("Type"));
        if (key.kind == VcfKey::Flag)
            key.kind = VcfKey::String;
        key.list = !key.genotype && isList(record->entry("Number"));
        VkField& field = addField(displayName(kFormatNames, key.id), key.id, valueType(key), VkField::Matrix,
                                  key.genotype ? QStringLiteral("Genotype") : description(*record));
        field.props.insert("Number", PVariant(record->entry("Number")));
        if (key.genotype)
            field.format = {"GT"};
        key.field = field.idx;
        m_formatKeys.push_back(key);
    }
}

void VcfSchema::addSamplesField() {
    m_samplesIdx = addField("Samples", QByteArray(), ValueType::String, VkField::EntityAttribute,
                            QStringLiteral("Sample Labels"))
                       .idx;
}

void VcfSchema::indexKeys(const std::vector<VcfKey>& keys, Index* index) {
    for (size_t i = 0; i < keys.size(); ++i)
        index->emplace(std::string_view(keys[i].id.constData(), size_t(keys[i].id.size())), int(i));
}
