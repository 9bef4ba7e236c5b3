#pragma once

#include "meta/families/ErrorOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

// A source without inputs or fields whose every read fails with the text of its options.
class ErrorTransform : public OptionTypedTransform<ErrorOptions> {
public:
    using Options = ErrorOptions;
    explicit ErrorTransform(ErrorOptions options) : OptionTypedTransform(std::move(options)) {}

    QString name() const override { return QStringLiteral("error"); }
    int minInputCount() const override { return 0; }
    bool open(QString* error) override;
    FeatureCursorPtr createFeatureReader(const ReadRequest& request, QString* error) const override;
};
