#pragma once

#include "meta/families/AnnotationOptions.h"

// Options of the batch annotations: the joins of the annotations, with the annotation source asked
// for many input features at a time.
VK_DECLARE_OPTIONS(BatchAnnotateOptions, LeftJoinAnnotationOptions, 1,
                   "Options of an annotation that asks the annotation source for many features at a time.",
                   VK_NO_OPTIONS)

VK_DECLARE_OPTIONS(
    BatchAnnotateRegionOptions, BatchAnnotateOptions, 1,
    "Annotate the features of a source with the regions of another that they match, asking for "
    "the regions of many features at a time.",
    VK_ANNOTATE_REGION_OPTIONS)

VK_DECLARE_OPTIONS(BatchAnnotateOverlapRegionOptions, BatchAnnotateRegionOptions, 1,
                   "Annotate the features of a source with the regions of another they overlap, with the "
                   "region, its span and how similar the two are, asking for many features at a time.",
                   VK_NO_OPTIONS)

VK_DECLARE_OPTIONS(BatchAnnotateOverlapCNVOptions, BatchAnnotateRegionOptions, 1,
                   "Annotate the features of a source with the copy number variants of another they overlap, "
                   "with the region, its span and how similar the two are.",
                   VK_NO_OPTIONS)

VK_DECLARE_OPTIONS(BatchAnnotateVariantOptions, BatchAnnotateOptions, 1,
                   "Annotate the variants of a source with the records of another at the same place that "
                   "carry the same alleles, asking for many variants at a time.",
                   VK_ANNOTATE_VARIANT_OPTIONS)

// The identifier join ignores the genomic match mode: records match by identifier wherever they lie.
#define VK_BATCH_ANNOTATE_ID_OPTIONS(OPT)                                                                    \
    OPT(String, leftIdField, setLeftIdField, "ID", "The identifier field of the input source")               \
    OPT(String, rightIdField, setRightIdField, "ID", "The identifier field of the annotation source")

VK_DECLARE_OPTIONS(BatchAnnotateIDOptions, BatchAnnotateRegionOptions, 1,
                   "Annotate the features of a source with the records of another that carry the same "
                   "identifier.",
                   VK_BATCH_ANNOTATE_ID_OPTIONS)
