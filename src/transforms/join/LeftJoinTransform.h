#pragma once

#include "meta/families/AnnotationOptions.h"
#include "transforms/framework/FnTransform.h"
#include "transforms/join/JoinFieldGroup.h"

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

    void addGroup(JoinFieldGroupPtr group) { m_groups.append(std::move(group)); }
    LeftJoinAnnotationOptions joinOptions() const { return LeftJoinAnnotationOptions(options()); }
    const VkSourcePtr& left() const { return inputs().at(0); }
    const VkSourcePtr& right() const { return inputs().at(1); }

private:
    QVector<JoinFieldGroupPtr> m_groups;
    int m_leftFieldCount = 0;
};
