#pragma once

#include "source/values/PVariant.h"
#include "transforms/MergeFieldValues.h"

#include <QVector>

#include <vector>

// The value of one matrix field over the output samples, gathered from the values of that field
// in one or more input records, each laid onto the output by its samples' output positions.
// Output samples no input fills are missing (no elements for a list per sample). One column object
// serves column after column, keeping its scratch space.
class MergeSampleColumn {
public:
    explicit MergeSampleColumn(int outputSamples) : m_outputSamples(outputSamples) {}

    // Adds an input's value; sampleToOutput gives the output sample of each input sample. A remap
    // lays each sample's list of numbers onto the merged alleles. All must outlive take().
    void place(const PVariant& value, const QVector<int>& sampleToOutput,
               const MergeFieldValues::ListRemap* remap = nullptr);
    // The output value, of the shape of the placed values; invalid when none was placed. Starts
    // the next column. missingText stands for a sample without a value in a column of one text
    // per sample.
    PVariant take(const QByteArray& missingText = QByteArray());

private:
    // The list an output sample takes: count values of the placed matrices' element type, copied
    // as they are (width == count) or laid out by a layout with a map.
    struct Source {
        const void* values = nullptr;
        int count = 0;
        int width = 0;
        MergeFieldValues::ListLayout layout;
    };
    struct Placed {
        const PVariant* value;
        const QVector<int>* sampleToOutput;
        const MergeFieldValues::ListRemap* remap;
    };
    template <class T> PVariant takeScalars(const QVector<T>& (PVariant::*vector)() const, T missing) const;
    template <class T> PVariant takeLists(const QVector<T>& (PVariant::*vector)() const);
    template <class T> void gatherLists(const Placed& placed, const QVector<T>& (PVariant::*vector)() const);
    PVariant takeAny() const;

    int m_outputSamples;
    std::vector<Placed> m_placed;
    std::vector<Source> m_sources;
};
