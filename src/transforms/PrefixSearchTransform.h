#pragma once

#include "meta/families/PrefixSearchOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

// The records of a TSF source whose value of an indexed field (see the `fieldindex` command)
// starts with the prefix, compared without regard to case: every gene whose name starts with
// "BRCA". The field is the one with the symbol "fieldSymbol", or any indexed field when none is
// named. Records come in the source's order with all its fields; a region read keeps those that
// overlap the regions.
class PrefixSearchTransform : public SingleSourceTransform<PrefixSearchOptions> {
public:
    using Options = PrefixSearchOptions;
    explicit PrefixSearchTransform(PrefixSearchOptions options) : SingleSourceTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("prefixSearch"); }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;

private:
    // The indexed fields searched.
    QList<int> m_fields;
};
