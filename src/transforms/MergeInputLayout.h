#pragma once

#include "source/model/VkFeature.h"
#include "source/model/VkField.h"

#include <QHash>
#include <QVector>

// How the records of several inputs land in one output: the union of the inputs' fields, matched
// by symbol (by name for fields without one), and the output sample of every input sample.
class MergeInputLayout {
public:
    struct Input {
        // The output field of each input field; -1 for a field the output does not carry.
        QVector<int> fields;
        // The output sample of each input sample.
        QVector<int> samples;
        bool renamed = false;
        // Whether the input's records already have the output's shape.
        bool passThrough = false;
    };

    // Adds the fields of the next input; false, with the key of the field, when the output already
    // has a field of that key of another type.
    bool addInput(const VkFieldList& schema, QByteArray* conflictingField);
    // Inserts an output field before the one at idx (at the end for -1).
    void insertField(int idx, VkField field);
    // Removes output fields; input fields that went to them are dropped.
    void dropFields(const QVector<int>& outputFields);
    VkField& field(int idx) { return m_schema[idx]; }
    // Gives the samples of input inputIdx (named inputNames in the input) their output names; a
    // name already given maps onto the sample that has it.
    void addSamples(int inputIdx, const QVector<QByteArray>& inputNames,
                    const QVector<QByteArray>& outputNames);
    // Marks the inputs whose records need no change; call once the fields and samples are final.
    void finish();

    const VkFieldList& schema() const { return m_schema; }
    const QVector<QByteArray>& sampleNames() const { return m_sampleNames; }
    int sampleCount() const { return m_sampleNames.size(); }
    const Input& input(int inputIdx) const { return m_inputs.at(inputIdx); }
    int inputCount() const { return m_inputs.size(); }
    // The output index of the "Samples" field; -1 when the output has none.
    int samplesField() const { return m_samplesField; }
    // An input record in the output's shape.
    VkFeature remap(const VkFeature& feature, int inputIdx) const;

    static QByteArray keyOf(const VkField& field) {
        return field.symbol.isEmpty() ? field.name : field.symbol;
    }

private:
    // Fields meet by symbol; a sample field and a record field of one symbol (FORMAT and INFO DP)
    // are two fields.
    static QByteArray matchKey(const VkField& field) { return keyOf(field) + (field.isMatrix() ? "\1" : ""); }
    void renumber();

    VkFieldList m_schema;
    QHash<QByteArray, int> m_byKey;
    QVector<Input> m_inputs;
    QVector<QByteArray> m_sampleNames;
    QHash<QByteArray, int> m_sampleIndex;
    int m_samplesField = -1;
    PVariant m_sampleNamesValue;
};
