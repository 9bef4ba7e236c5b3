#pragma once

#include "meta/families/BatchAnnotateOptions.h"
#include "transforms/join/LeftJoinTransform.h"

// The identifier join of "batchAnnotateID": a left outer join of the first input with the second
// on their identifier fields ("ID" by default) instead of their places. Every left feature is
// kept, once per right record that carries one of its identifiers (a list field matches on any
// element), with the right fields listed (all by default) and, when asked, a count or flag of the
// matches. The genomic match mode does not apply.
class IdentifierJoinTransform : public LeftJoinTransform {
public:
    using Options = BatchAnnotateIDOptions;
    explicit IdentifierJoinTransform(Options options) : LeftJoinTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("annotateID"); }
    int minInputCount() const override { return 2; }

protected:
    bool validateInputs(QString* error) const override;
    bool buildFieldGroups(QString* error) override;
    QString defaultOutputName() const override;
    FeatureCursorPtr createJoinReader(const ReadRequest& request, ReadRequest leftRequest,
                                      QList<int> rightFields, QString* error) const override;

private:
    Options typedOptions() const { return Options(options()); }
    // The identifier fields of both sides, or -1.
    int leftIdField() const;
    int rightIdField() const;
};
