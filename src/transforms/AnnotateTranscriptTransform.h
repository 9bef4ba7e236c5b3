#pragma once

#include "transforms/AnnotateTranscriptFields.h"
#include "transforms/TranscriptSource.h"
#include "transforms/join/LeftJoinTransform.h"

// Annotates each variant with what each of its alternate alleles does to each transcript near it
// (AnnotateTranscriptFields): a left join of the variants with the transcripts of a GTF, BED12 or
// TSF source, read against the reference sequence named by "referenceUrl" (else the reference
// found for the variants' build).
class AnnotateTranscriptTransform : public LeftJoinTransform {
public:
    using Options = AnnotateTranscriptOptions;
    explicit AnnotateTranscriptTransform(AnnotateTranscriptOptions options)
        : LeftJoinTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("annotateTranscript"); }
    int minInputCount() const override { return 2; }
    bool open(QString* error) override;

protected:
    bool buildFieldGroups(QString* error) override;
    bool validateInputs(QString* error) const override;
    QString defaultOutputName() const override;
    FeatureCursorPtr createJoinReader(const ReadRequest& request, ReadRequest leftRequest,
                                      QList<int> rightFields, QString* error) const override;

private:
    bool openReference(QString* error);

    TranscriptSource m_layout;
    VkSourcePtr m_reference;
    std::shared_ptr<AnnotateTranscriptFields> m_fields;
};
