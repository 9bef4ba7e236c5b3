#pragma once

#include "transforms/framework/FnTransform.h"
#include "transforms/framework/MappedFieldReader.h"

// A transform with typed access to the option record of its family, Options.
template <class Options> class OptionTypedTransform : public FnTransform {
public:
    using OptionsType = Options;

protected:
    explicit OptionTypedTransform(Options options) : FnTransform(std::move(options)) {}

    // The record, shared; reading it never copies.
    Options typedOptions() const { return Options(options()); }
    // The record for changing (copied first when shared).
    Options mutableTypedOptions() { return Options(mutableOptions()); }
};

// A transform of one input, held in the record's "sourceUrl". Its field reader is the input's
// when the output has the input's fields, else a MappedFieldReader onto them.
template <class Options> class SingleSourceTransform : public OptionTypedTransform<Options> {
public:
    QStringList inputUrls() const override { return {this->options().option("sourceUrl").toString()}; }
    void setInputUrls(const QStringList& urls) override {
        this->mutableOptions().setOption("sourceUrl", urls.value(0));
    }

    VkFieldReader* createFieldReader() const override {
        if (this->inputs().isEmpty())
            return nullptr;
        const VkSourcePtr& input = this->inputs().first();
        if (input->schema() == this->outputInfo().schema)
            return FnTransform::createFieldReader();
        return MappedFieldReader::create(input, this->outputInfo().schema);
    }

protected:
    using OptionTypedTransform<Options>::OptionTypedTransform;
};
