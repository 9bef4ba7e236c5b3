#include "transforms/MergeInputLayout.h"

#include "transforms/MergeSampleColumn.h"

namespace {

// Enum names of another input's field are added to the output's, so every input's names are
// declared (values carry their names, so their codes need no change).
void addEnumNames(VkField& field, const VkField& other) {
    for (const QByteArray& name : other.enumNames) {
        if (field.enumNames.contains(name))
            continue;
        field.enumValues.append(field.enumNames.size());
        field.enumNames.append(name);
    }
}

bool isSamplesField(const VkField& field) {
    return field.fieldType == VkField::EntityAttribute && field.name == "Samples";
}

} // namespace

bool MergeInputLayout::addInput(const VkFieldList& schema, QByteArray* conflictingField) {
    Input input;
    input.fields.reserve(schema.size());
    for (const VkField& field : schema) {
        const QByteArray key = matchKey(field);
        const auto found = m_byKey.constFind(key);
        if (found == m_byKey.constEnd()) {
            m_byKey.insert(key, m_schema.size());
            input.fields.append(m_schema.size());
            m_schema.append(field);
            continue;
        }
        VkField& existing = m_schema[found.value()];
        if (existing.valueType != field.valueType || existing.fieldType != field.fieldType) {
            *conflictingField = keyOf(field);
            return false;
        }
        addEnumNames(existing, field);
        input.fields.append(found.value());
    }
    m_inputs.append(input);
    renumber();
    return true;
}

void MergeInputLayout::insertField(int idx, VkField field) {
    const int at = idx < 0 || idx > m_schema.size() ? m_schema.size() : idx;
    m_schema.insert(at, std::move(field));
    for (Input& input : m_inputs)
        for (int& target : input.fields)
            if (target >= at)
                ++target;
    renumber();
}

void MergeInputLayout::dropFields(const QVector<int>& outputFields) {
    QVector<int> newIndex(m_schema.size());
    VkFieldList kept;
    for (int idx = 0; idx < m_schema.size(); ++idx) {
        newIndex[idx] = outputFields.contains(idx) ? -1 : kept.size();
        if (newIndex[idx] >= 0)
            kept.append(m_schema.at(idx));
    }
    m_schema = kept;
    for (Input& input : m_inputs)
        for (int& target : input.fields)
            target = target < 0 ? -1 : newIndex.at(target);
    renumber();
}

void MergeInputLayout::renumber() {
    m_byKey.clear();
    m_samplesField = -1;
    for (int idx = 0; idx < m_schema.size(); ++idx) {
        m_schema[idx].idx = idx;
        m_byKey.insert(matchKey(m_schema.at(idx)), idx);
        if (isSamplesField(m_schema.at(idx)))
            m_samplesField = idx;
    }
}

void MergeInputLayout::addSamples(int inputIdx, const QVector<QByteArray>& inputNames,
                                  const QVector<QByteArray>& outputNames) {
    m_inputs[inputIdx].renamed = inputNames != outputNames;
    QVector<int>& samples = m_inputs[inputIdx].samples;
    samples.clear();
    for (const QByteArray& name : outputNames) {
        auto found = m_sampleIndex.constFind(name);
        if (found == m_sampleIndex.constEnd()) {
            found = m_sampleIndex.insert(name, m_sampleNames.size());
            m_sampleNames.append(name);
        }
        samples.append(found.value());
    }
}

void MergeInputLayout::finish() {
    m_sampleNamesValue = PVariant(m_sampleNames);
    for (Input& input : m_inputs) {
        bool same = !input.renamed && input.fields.size() == m_schema.size() &&
                    input.samples.size() == m_sampleNames.size();
        for (int i = 0; same && i < input.fields.size(); ++i)
            same = input.fields.at(i) == i;
        for (int i = 0; same && i < input.samples.size(); ++i)
            same = input.samples.at(i) == i;
        input.passThrough = same;
    }
}

VkFeature MergeInputLayout::remap(const VkFeature& feature, int inputIdx) const {
    const Input& input = m_inputs.at(inputIdx);
    if (input.passThrough)
        return feature;
    PVariantVector values(m_schema.size());
    const int count = std::min(feature.size(), input.fields.size());
    for (int i = 0; i < count; ++i) {
        const int target = input.fields.at(i);
        const PVariant& value = feature.value(i);
        if (target < 0 || !value.isValid())
            continue;
        if (target == m_samplesField) {
            values[target] = m_sampleNamesValue;
        } else if (m_schema.at(target).isMatrix()) {
            MergeSampleColumn column(m_sampleNames.size());
            column.place(value, input.samples);
            values[target] = column.take();
        } else {
            values[target] = value;
        }
    }
    return VkFeature(feature.segment(), std::move(values));
}
