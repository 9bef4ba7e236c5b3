#pragma once

#include "source/model/VkField.h"
#include "source/registry/VkResourceData.h"

#include <string_view>
#include <unordered_map>
#include <vector>

class VcfHeader;
class VcfHeaderRecord;

// How the values of one INFO or FORMAT key are read.
struct VcfKey {
    enum Kind : uint8_t { Int, Float, String, Flag };

    QByteArray id;
    Kind kind = String;
    // One value per key ("Number" 0 or 1) or a list of them.
    bool list = false;
    // The FORMAT key GT, whose values are genotype texts.
    bool genotype = false;
    // The schema field that receives the values; -1 for flags, which go to "Flags".
    int field = -1;
    // The category code of a flag in "Flags".
    int flagCode = -1;
};

// The schema of a VCF source as its header defines it, and the lookups its line parsers need.
// Built once per source and shared, read-only, by all of its readers.
//
// Fields: "Ref/Alt", "Identifier", "Reference", "Alternates", "Quality", "Filter", one field per
// INFO key that is not a flag (in header order), "Flags", and, when the file has samples, one
// matrix field per FORMAT key and "Samples". Category names are permanent (see SharedNames), so
// readers hand them out without touching a shared count.
class VcfSchema : public VkResourceData {
public:
    enum FixedField { RefAltIdx, IdIdx, RefIdx, AltIdx, QualIdx, FilterIdx, FixedFieldCount };

    explicit VcfSchema(const VcfHeader& header);

    const VkFieldList& fields() const { return m_fields; }
    int flagsIdx() const { return m_flagsIdx; }
    // -1 when the file has no samples.
    int samplesIdx() const { return m_samplesIdx; }
    int sampleCount() const { return m_sampleNames.size(); }
    const QVector<QByteArray>& sampleNames() const { return m_sampleNames; }

    // The keys the header declares; null for an undeclared one.
    const VcfKey* infoKey(std::string_view id) const { return find(m_infoIndex, m_infoKeys, id); }
    const VcfKey* formatKey(std::string_view id) const { return find(m_formatIndex, m_formatKeys, id); }
    const std::vector<VcfKey>& infoKeys() const { return m_infoKeys; }
    const std::vector<VcfKey>& formatKeys() const { return m_formatKeys; }
    // The category code of a FILTER name ("PASS" is 0); -1 when the header does not declare it.
    int filterCode(std::string_view name) const;
    const QByteArray& filterName(int code) const { return m_fields.at(FilterIdx).enumNames.at(code); }
    const QByteArray& flagName(int code) const { return m_fields.at(m_flagsIdx).enumNames.at(code); }

private:
    using Index = std::unordered_map<std::string_view, int>;

    static const VcfKey* find(const Index& index, const std::vector<VcfKey>& keys, std::string_view id) {
        const auto found = index.find(id);
        return found == index.end() ? nullptr : &keys[size_t(found->second)];
    }
    void addFixedFields();
    void addFilterField(const VcfHeader& header);
    void addInfoFields(const VcfHeader& header);
    void addFormatFields(const VcfHeader& header);
    void addSamplesField();
    VkField& addField(QByteArray name, QByteArray symbol, ValueType type, int32_t fieldType, QString doc);
    static void indexKeys(const std::vector<VcfKey>& keys, Index* index);

    VkFieldList m_fields;
    int m_flagsIdx = -1;
    int m_samplesIdx = -1;
    QVector<QByteArray> m_sampleNames;
    std::vector<VcfKey> m_infoKeys;
    std::vector<VcfKey> m_formatKeys;
    Index m_infoIndex;
    Index m_formatIndex;
    Index m_filterIndex;
};
