#pragma once

#include "transforms/MergeTransform.h"

#include <memory>

struct MergeRecordsPlan;

// Merges the records of one source that share a key: consecutive records with the same place
// (chromosome, start and stop) and, when "recordTypeField" names a field, the same value of it.
// Record-level fields follow their merge behaviour; sample fields keep the first record's values.
class MergeRecordsTransform : public MergeTransform<MergeRecordsOptions> {
public:
    using Options = MergeRecordsOptions;
    explicit MergeRecordsTransform(MergeRecordsOptions options);
    ~MergeRecordsTransform() override;

    QString name() const override { return QStringLiteral("mergeRecords"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
    VkFieldReader* createFieldReader() const override { return nullptr; }

private:
    std::shared_ptr<const MergeRecordsPlan> m_plan;
};
