#pragma once

#include "meta/families/TabularWriterSourceOptions.h"
#include "source/model/VkSourceInfo.h"

#include <QList>
#include <QVector>

// One column of a tabular output after the locus columns: a locus field, or one sample of a
// matrix field.
struct TabularColumn {
    int field = -1;
    // -1 for a locus field.
    int sample = -1;
    // The group the column sits under.
    int group = -1;
};

// A run of columns under one header: a field group, or one sample of the matrix field group.
struct TabularGroup {
    QString name;
    QString color;
    int firstColumn = 0;
    int columnCount = 0;
    // A group of the matrix field group, named after its sample.
    bool perSample = false;
};

// The columns a tabular writer writes for a source. The locus columns (chromosome, start, stop)
// come first; then the fields of each field group in order, a matrix field once per sample; then,
// for every sample in turn, the fields of the matrix field group. Without field groups, every locus
// field of the source is written, and every matrix field unless the matrix field group collates them.
class TabularLayout {
public:
    static constexpr int LocusColumnCount = 3;

    // False with the reason when a field index is outside the schema, names a field with one value
    // per entity, or matrix fields are asked for of a source that does not name its samples.
    bool build(const VkSourceInfo& info, const TabularWriterSourceOptions& options, QString* error);

    const QVector<TabularColumn>& columns() const { return m_columns; }
    const QVector<TabularGroup>& groups() const { return m_groups; }
    bool hasNamedGroups() const;
    // The fields to read, each once.
    const QList<int>& fieldList() const { return m_fieldList; }
    const QVector<QByteArray>& sampleNames() const { return m_sampleNames; }

    // "Chr", "Start" and "Stop".
    static QByteArray locusTitle(int locusColumn);
    // The field's name, "<sample>:<name>" for a sample's column; withSample false leaves the sample
    // out, for headers that name it in the group above.
    QByteArray nameTitle(const TabularColumn& column, bool withSample) const;
    // The same with the field's symbol where it has one ("ALT", "<sample>:GT"): the keys that tools
    // reading a text table expect.
    QByteArray symbolTitle(const TabularColumn& column) const;

    // The samples of a source: its "SampleNames" property, or numbered names when it has only a count.
    static QVector<QByteArray> sampleNamesOf(const VkSourceInfo& info);

private:
    bool addGroup(const TabularWriterFieldGroup& group, QString* error);
    bool addSampleGroups(const TabularWriterFieldGroup& group, QString* error);
    bool checkField(int idx, QString* error);
    void useField(int idx);

    VkFieldList m_schema;
    QVector<TabularColumn> m_columns;
    QVector<TabularGroup> m_groups;
    QList<int> m_fieldList;
    QVector<QByteArray> m_sampleNames;
};
