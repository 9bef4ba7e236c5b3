#pragma once

#include "meta/VkOptionsDeclare.h"

// How a record-level field is combined when records of several inputs become one.
enum MergeBehavior {
    MergeOmit = 0,
    MergeTakeAll = 1,
    MergeTakeFirst = 2,
    MergeClear = 3,
    MergeSample = 4,
    MergeUnique = 5,
    MergeNumericMean = 6,
    MergeNumericMin = 7,
    MergeNumericMax = 8,
    MergeDefault = 9
};

#define VK_MERGE_BEHAVIOR_VALUES                                                                             \
    .values({MergeOmit, MergeTakeAll, MergeTakeFirst, MergeClear, MergeSample, MergeUnique,                  \
             MergeNumericMean, MergeNumericMin, MergeNumericMax, MergeDefault},                              \
            {"Omit", "TakeAll", "TakeFirst", "Clear", "Sample", "Unique", "NumericMean", "NumericMin",       \
             "NumericMax", "Default"},                                                                       \
            {"drop the field from the source", "take all of the values regardless of if they are the same",  \
             "The first value of the combined fields is taken",                                              \
             "No value is saved if they are not the same",                                                   \
             "Convert the field to a sample level (Format) field", "Keep all unique values",                 \
             "Mean of values at each site", "Minimum of values at each site",                                \
             "Maximum of values at each site", "This will be set to the merge default"})

#define VK_FIELD_MERGE_BEHAVIOR_OPTIONS(OPT)                                                                 \
    OPT(String, fieldSymbol, setFieldSymbol, "", "Symbol of the field")                                      \
    OPT(Enum, mergeBehavior, setMergeBehavior, MergeDefault, "How the field's values are merged",            \
        VK_MERGE_BEHAVIOR_VALUES)

VK_DECLARE_OPTIONS(FieldMergeBehaviorOptions, VkOptionsValue, 1, "How one field is merged.",
                   VK_FIELD_MERGE_BEHAVIOR_OPTIONS)

#define VK_SAMPLE_REMAPPING_OPTIONS(OPT)                                                                     \
    OPT(Int, sourceIdx, setSourceIdx, 0, "Position of the input in sourceUrls")                              \
    OPT(StringList, outNames, setOutNames, {}, "Output names of the input's samples, in order")

VK_DECLARE_OPTIONS(SampleRemapping, VkOptionsValue, 1, "Output sample names of one input.",
                   VK_SAMPLE_REMAPPING_OPTIONS)

#define VK_MERGE_OPTIONS(OPT)                                                                                \
    OPT(StringList, sourceUrls, setSourceUrls, {}, "The inputs, in order", .scrub())                         \
    OPT(Enum, mergeBehavior, setMergeBehavior, MergeOmit, "Default merge behaviour of record-level fields",  \
        VK_MERGE_BEHAVIOR_VALUES)                                                                            \
    OPT(OptionsList, fieldMergeBehaviors, setFieldMergeBehaviors, FieldMergeBehaviorOptions,                 \
        "Merge behaviours of single fields")                                                                 \
    OPT(Bool, sampleNamesPrependFileName, setSampleNamesPrependFileName, false,                              \
        "Prefix every sample name with its input's file base name")                                          \
    OPT(Bool, sampleNamesDisambiguate, setSampleNamesDisambiguate, true,                                     \
        "Give colliding sample names a numeric suffix")                                                      \
    OPT(OptionsList, sourceRemapping, setSourceRemapping, SampleRemapping,                                   \
        "Explicit output sample names per input")                                                            \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(MergeOptions, VkOptionsValue, 1, "Join multiple inputs into one source.", VK_MERGE_OPTIONS)

#define VK_MERGE_VARIANTS_OPTIONS(OPT)                                                                       \
    OPT(Bool, mergeDifferentRecordTypes, setMergeDifferentRecordTypes, false,                                \
        "Merge records of different kinds at one place")                                                     \
    OPT(Bool, onlyMergeMatchingAlternates, setOnlyMergeMatchingAlternates, false,                            \
        "Merge only records with matching alternates")                                                       \
    OPT(Bool, onlyMergeMatchingRefAlts, setOnlyMergeMatchingRefAlts, false,                                  \
        "Merge only records with equal reference and alternates")

VK_DECLARE_OPTIONS(MergeVariantsOptions, MergeOptions, 1, "Merge variant sources record by record.",
                   VK_MERGE_VARIANTS_OPTIONS)

#define VK_MERGE_RECORDS_OPTIONS(OPT)                                                                        \
    OPT(String, recordTypeField, setRecordTypeField, "", "Field telling the kind of each record")

VK_DECLARE_OPTIONS(MergeRecordsOptions, MergeOptions, 1, "Merge the records of one source that share a key.",
                   VK_MERGE_RECORDS_OPTIONS)

#define VK_APPEND_RECORDS_OPTIONS(OPT)                                                                       \
    OPT(StringList, sourceUrls, setSourceUrls, {}, "The inputs, in order", .scrub())                         \
    OPT(OptionsList, sourceRemapping, setSourceRemapping, SampleRemapping,                                   \
        "Explicit output sample names per input")                                                            \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(AppendRecordsOptions, VkOptionsValue, 1,
                   "Interleave the records of several variant sources in genomic order.",
                   VK_APPEND_RECORDS_OPTIONS)
