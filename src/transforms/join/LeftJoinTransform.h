#pragma once

#include "meta/families/AnnotationOptions.h"
#include "transforms/framework/FnTransform.h"
#include "transforms/join/JoinRows.h"

// Base of the annotations: a left outer join of the first input (the left) with the second (the
// annotation source, the right). Every left feature is kept; the field groups an annotation kind
// chooses add what the right features matching it genomically say. open() checks the inputs,
// builds the groups and sets each up in order; the output schema is the left schema followed by
// the groups' fields.
class LeftJoinTransform : public FnTransform {
public:
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

protected:
    explicit LeftJoinTransform(VkOptionsValue options) : FnTransform(std::move(options)) {}

    // The annotation kind's own groups, added with addGroup().
    virtual bool buildFieldGroups(QString* error) = 0;
    // Whether the right source suits the annotation; the generic failure is "The annotation input
    // source is invalid: " followed by the reason.
    virtual bool validateInputs(QString* error) const;
    // A LeftHandPassThrough of the "leftSourcePassThroughFields" names (comma-separated).
    void addLeftPassThrough();
    // The output's name when "outputSourceName" is empty.
    virtual QString defaultOutputName() const = 0;

    // The reader of a request: by default the left features' matches among the right features
    // that lie where they do. leftRequest asks for the left fields the output and the groups need,
    // rightFields are the right fields the groups read.
    virtual FeatureCursorPtr createJoinReader(const ReadRequest& request, ReadRequest leftRequest,
                                              QList<int> rightFields, QString* error) const;

    void addGroup(JoinFieldGroupPtr group) { m_groups.append(std::move(group)); }
    // Builds the output records from the groups.
    JoinRows rows() const { return JoinRows(m_groups, m_leftFieldCount); }
    LeftJoinAnnotationOptions joinOptions() const { return LeftJoinAnnotationOptions(options()); }
    const VkSourcePtr& left() const { return inputs().at(0); }
    const VkSourcePtr& right() const { return inputs().at(1); }

private:
    QVector<JoinFieldGroupPtr> m_groups;
    int m_leftFieldCount = 0;
};
