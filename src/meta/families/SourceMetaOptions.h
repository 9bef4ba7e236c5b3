#pragma once

#include "meta/VkOptionsDeclare.h"

// What a user may change about the description of a source.
#define VK_SOURCE_META_OPTIONS(OPT)                                                                          \
    OPT(String, name, setName, "", "Display name of the source")                                             \
    OPT(String, coordSysId, setCoordSysId, "", "Genome assembly of the coordinates")                         \
    OPT(String, assemblyData, setAssemblyData, "", "Description of the genome assembly")                     \
    OPT(String, curatedBy, setCuratedBy, "", "Who curated the source")                                       \
    OPT(String, seriesName, setSeriesName, "", "Name of the series the source belongs to")                   \
    OPT(String, sourceVersion, setSourceVersion, "", "Version of the source data")                           \
    OPT(String, descriptionHtml, setDescriptionHtml, "", "Description of the source as HTML")                \
    OPT(String, sourceCreditHtml, setSourceCreditHtml, "", "Credits of the source as HTML")                  \
    OPT(String, curationNotesHtml, setCurationNotesHtml, "", "Curation notes as HTML")                       \
    OPT(StringList, headerLines, setHeaderLines, {}, "Header lines of the original file")                    \
    OPT(String, primarySourceUuid, setPrimarySourceUuid, "", "Identity of the source this one came from")    \
    OPT(String, curationTime, setCurationTime, "", "When the source was curated")                            \
    OPT(String, styleTx, setStyleTx, "", "Display style")

VK_DECLARE_OPTIONS(SourceMetaOptions, VkOptionsValue, 1,
                   "Properties of a VkSourceInfo that can be set by the user", VK_SOURCE_META_OPTIONS)
