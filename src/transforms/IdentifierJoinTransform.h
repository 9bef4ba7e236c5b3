#pragma once

#include "meta/families/BatchAnnotateOptions.h"
#include "transforms/framework/SingleSourceTransform.h"
#include "transforms/join/JoinFieldGroup.h"

// The identifier join of "batchAnnotateID": a left outer join of the first input with the second
// on their identifier fields ("ID" by default) instead of their places. Every left feature is
// kept, once per right record that carries one of its identifiers (a list field matches on any
// element), with the right fields listed (all by default) and, when asked, a count or flag of the
// matches. The genomic match mode does not apply.
class IdentifierJoinTransform : public OptionTypedTransform<BatchAnnotateIDOptions> {
public:
    using Options = BatchAnnotateIDOptions;
    explicit IdentifierJoinTransform(Options options) : OptionTypedTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("annotateID"); }
    int minInputCount() const override { return 2; }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

private:
    const VkSourcePtr& left() const { return inputs().at(0); }
    const VkSourcePtr& right() const { return inputs().at(1); }
    bool findIdFields(QString* error);
    void buildFieldGroups();

    QVector<JoinFieldGroupPtr> m_groups;
    int m_leftFieldCount = 0;
    int m_leftIdField = -1;
    int m_rightIdField = -1;
};
