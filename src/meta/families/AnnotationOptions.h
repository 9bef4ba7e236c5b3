#pragma once

#include "meta/VkOptionsDeclare.h"

// Options of the annotations: left joins of an input source (the left, first in "sourceUrls") with
// an annotation source (the right, second).
#define VK_ANNOTATION_OPTIONS(OPT)                                                                           \
    OPT(StringList, sourceUrls, setSourceUrls, {}, "The input source, then the annotation source", .scrub()) \
    OPT(String, outputSourceName, setOutputSourceName, "", "Display name of the result", .scrub())           \
    OPT(Bool, scrub, setScrub, false, "Scrub source paths when the transform is shared")

VK_DECLARE_OPTIONS(AnnotationOptions, VkOptionsValue, 1,
                   "Options of an annotation of one source with another.", VK_ANNOTATION_OPTIONS)

// How a left feature and a right feature must lie to match.
enum GenomicMatchMode { GenomicMatchOverlap = 0, GenomicMatchWithin = 1, GenomicMatchExact = 2 };

#define VK_LEFT_JOIN_ANNOTATION_OPTIONS(OPT)                                                                 \
    OPT(Enum, genomicMatchMode, setGenomicMatchMode, GenomicMatchOverlap, "How features must lie to match",  \
        .values({GenomicMatchOverlap, GenomicMatchWithin, GenomicMatchExact},                                \
                {"GenomicMatchOverlap", "GenomicMatchWithin", "GenomicMatchExact"},                          \
                {"Feature being annotated overlaps the region",                                              \
                 "Feature being annotated falls within the region",                                          \
                 "Feature being annotated has the exact same start/stop as the region being annotated"}))    \
    OPT(String, leftSourcePassThroughFields, setLeftSourcePassThroughFields, "",                             \
        "Fields of the input source to duplicate into the output")                                           \
    OPT(StringList, outputFieldList, setOutputFieldList, {},                                                 \
        "Fields of the annotation source to carry over; empty carries all")

VK_DECLARE_OPTIONS_NAMED(LeftJoinAnnotationOptions, AnnotationOptions, "LeftJoinAnnotateAlgorithmOptions", 1,
                         "Options of a left outer join of a source with an annotation source.",
                         VK_LEFT_JOIN_ANNOTATION_OPTIONS)

// Which summary of the matching features a region annotation adds.
enum MatchingFeatureSummary { NoSummary = 0, MatchingFeaturePresent = 1, MatchingFeatureCount = 2 };

#define VK_ANNOTATE_REGION_OPTIONS(OPT)                                                                      \
    OPT(Enum, matchingFeatureSummary, setMatchingFeatureSummary, NoSummary,                                  \
        "A field summarising the matching features",                                                         \
        .values({NoSummary, MatchingFeaturePresent, MatchingFeatureCount},                                   \
                {"NoSummary", "MatchingFeaturePresent", "MatchingFeatureCount"},                             \
                {"No extra field providing a summary of how many features matched the genomic query",        \
                 "Boolean field that is true when there is one or more matching features",                   \
                 "Number of matching features"}))

VK_DECLARE_OPTIONS(AnnotateRegionOptions, LeftJoinAnnotationOptions, 1,
                   "Annotate the features of a source with the regions of another that they match.",
                   VK_ANNOTATE_REGION_OPTIONS)

VK_DECLARE_OPTIONS(
    AnnotateOverlapRegionOptions, AnnotateRegionOptions, 1,
    "Annotate the features of a source with the regions of another they overlap, with the region, "
    "its span and how similar the two are.",
    VK_NO_OPTIONS)

// Which annotation records must carry the alleles of the annotated variant.
enum AllelicMatchMode {
    AllAllelicMatch = 0,
    ExactAllelicMatch = 1,
    ClosestAllelicMatch = 2,
    NoAllelicMatch = 3
};
// Whether one annotation record or several are expected per variant.
enum AnnotationMode { OneToManyAnnotation = 0, OneToOneAnnotation = 1 };

#define VK_ANNOTATE_VARIANT_OPTIONS(OPT)                                                                     \
    OPT(Enum, allelicMatchMode, setAllelicMatchMode, ClosestAllelicMatch, "Which records match allelically", \
        .values({AllAllelicMatch, ExactAllelicMatch, ClosestAllelicMatch, NoAllelicMatch},                   \
                {"AllAllelicMatch", "ExactAllelicMatch", "ClosestAllelicMatch", "NoAllelicMatch"},           \
                {"Match records that contain the observed alleles.",                                         \
                 "Match records that contain exactly the observed alleles.",                                 \
                 "Match records that contain observed alleles, but prefer the record that most closely "     \
                 "matches the observed. So if A/C is observed, and there is a match to a A/C/G and a A/C "   \
                 "record, prefer the A/C.",                                                                  \
                 "Keep all records, regardless of the allelic match."}))                                     \
    OPT(Enum, annotationMode, setAnnotationMode, OneToManyAnnotation, "How many records are expected",       \
        .values({OneToManyAnnotation, OneToOneAnnotation}, {"OneToManyAnnotation", "OneToOneAnnotation"},    \
                {"Expect that multiple records will match. Provide a one-to-many mapping to records.",       \
                 "Expect that only a single record will match. Warn if otherwise"}))                         \
    OPT(String, featureCounterFieldName, setFeatureCounterFieldName, "",                                     \
        "When set, a field of this name counts the matching records")                                        \
    OPT(String, featureFlagFieldName, setFeatureFlagFieldName, "",                                           \
        "When set, a field of this name says whether any record matched")                                    \
    OPT(StringList, uniquifyFieldSymbols, setUniquifyFieldSymbols, {},                                       \
        "Annotation fields whose distinct values over all matches are added")

VK_DECLARE_OPTIONS(
    AnnotateVariantOptions, LeftJoinAnnotationOptions, 1,
    "Annotate the variants of a source with the records of another at the same place that carry "
    "the same alleles.",
    VK_ANNOTATE_VARIANT_OPTIONS)

#define VK_ANNOTATE_DBNSFP_OPTIONS(OPT)                                                                      \
    OPT(StringList, votingPredictionFields, setVotingPredictionFields, {},                                   \
        "Prediction fields of the annotation source that vote; empty lets every prediction field vote")

VK_DECLARE_OPTIONS(AnnotateDbNSFPOptions, LeftJoinAnnotationOptions, 1,
                   "Vote over the functional predictions of dbNSFP for each variant.",
                   VK_ANNOTATE_DBNSFP_OPTIONS)

#define VK_ANNOTATE_TRANSCRIPT_OPTIONS(OPT)                                                                  \
    OPT(String, referenceUrl, setReferenceUrl, "", "The reference sequence the transcripts are read against")

VK_DECLARE_OPTIONS(AnnotateTranscriptOptions, LeftJoinAnnotationOptions, 1,
                   "Classify each variant against the transcripts it falls in.",
                   VK_ANNOTATE_TRANSCRIPT_OPTIONS)
