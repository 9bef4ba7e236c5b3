#pragma once

#include "meta/families/MergeOptions.h"
#include "transforms/framework/SingleSourceTransform.h"

#include <QVector>

// The output samples of a merge: the name of every input's samples, in input order, and the file
// each came from.
struct MergeSampleNames {
    QVector<QVector<QByteArray>> perInput;
    QVector<QByteArray> fileNames;

    // Names the samples: the remapped or own name, prefixed with the file base name when asked,
    // made unique with "-2", "-3", ... unless disambiguation is off (then equal names share one
    // output sample).
    static MergeSampleNames decide(const QList<VkSourcePtr>& inputs, const MergeOptions& options);
    // The name of an input's file up to its first "."; the source name for inputs without a file.
    static QByteArray fileBaseName(const VkSource& input);
};

// A transform of several inputs merged into one, with the options every merge shares.
template <class Options> class MergeTransform : public OptionTypedTransform<Options> {
protected:
    using OptionTypedTransform<Options>::OptionTypedTransform;

    // The output name: the first input's, saying how many others were merged into it.
    void nameMerged() {
        const int others = int(this->inputs().size()) - 1;
        this->info().name += QStringLiteral(" [merged with %1 other(s)]").arg(others);
    }
};
