#pragma once

#include "meta/families/MergeOptions.h"
#include "transforms/MergeInputLayout.h"
#include "transforms/framework/FnTransform.h"

#include <memory>

// Interleaves the records of several variant sources into one, ordered like its inputs (by
// chromosome in the sources' order, then by start; the earlier input first at equal starts), and
// keeps every record, duplicates included. The output has the union of the inputs' fields by
// symbol and the union of their samples by name, after "sourceRemapping" renames them; an input
// record has missing values for samples it does not have.
class AppendRecordsTransform : public FnTransform {
public:
    using Options = AppendRecordsOptions;
    explicit AppendRecordsTransform(AppendRecordsOptions options);

    QString name() const override { return QStringLiteral("appendRecords"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
    VkFieldReader* createFieldReader() const override { return nullptr; }

private:
    // The output names of one input's samples.
    QVector<QByteArray> outputSampleNames(int inputIdx, const QVector<QByteArray>& names) const;

    std::shared_ptr<const MergeInputLayout> m_layout;
};

// The sample names a source declares.
QVector<QByteArray> sampleNamesOf(const VkSourceInfo& info);
// The names a remapping gives the samples of input inputIdx, in place of the first of names.
QVector<QByteArray> remappedSampleNames(const QVector<SampleRemapping>& remapping, int inputIdx,
                                        QVector<QByteArray> names);
