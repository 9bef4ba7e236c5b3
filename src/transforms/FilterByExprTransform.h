#pragma once

#include "meta/families/FilterByExprOptions.h"
#include "transforms/FilterByExprReader.h"
#include "transforms/framework/SingleSourceTransform.h"

// Keeps the features of one input for which a locus expression, a per-sample expression or both
// are true (FilterByExprReader has the rule). Every field passes through unchanged. Opening
// compiles both expressions against the input's schema, so an unbound name or a syntax error fails
// before anything is read.
class FilterByExprTransform : public SingleSourceTransform<FilterByExprOptions> {
public:
    using Options = FilterByExprOptions;
    explicit FilterByExprTransform(FilterByExprOptions options);

    QString name() const override { return QStringLiteral("filterByExpr"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
    // None: the input's rows are not the output's once records are dropped.
    VkFieldReader* createFieldReader() const override { return nullptr; }

private:
    FilterByExprSettings m_settings;
    QList<int> m_fieldsRead;
};
