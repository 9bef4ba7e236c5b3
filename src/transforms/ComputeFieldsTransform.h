#pragma once

#include "meta/families/ComputeFieldsOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

// Adds fields whose values are expressions over each record's fields: one value per record, or one
// per sample evaluated on that sample's values. The new fields sit together at "insertFieldAtIdx"
// (appended when -1 or past the end). Opening compiles every expression and evaluates it once on
// placeholder values, so unbound names and results that cannot have the field's type fail before
// anything is read.
class ComputeFieldsTransform : public SingleSourceTransform<ComputeFieldsOptions> {
public:
    using Options = ComputeFieldsOptions;
    explicit ComputeFieldsTransform(ComputeFieldsOptions options);

    // What one computed field needs to be evaluated by a reader.
    struct Computed {
        QString expression;
        ValueType type = ValueType::Invalid;
        bool perSample = false;
    };

    QString name() const override { return QStringLiteral("computeFields"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

private:
    bool addField(const ComputedFieldOptions& options, VkFieldList* added, QString* error);

    QVector<Computed> m_computed;
    QList<int> m_fieldsRead;
    int m_insertAt = 0;
    int m_inputFieldCount = 0;
};
