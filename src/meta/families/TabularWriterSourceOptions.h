#pragma once

#include "meta/families/TabularWriterFieldGroup.h"

// Which fields of a source a tabular writer writes. Without field groups every field is written.
#define VK_TABULAR_WRITER_SOURCE_OPTIONS(OPT)                                                                \
    OPT(OptionsList, fieldGroups, setFieldGroups, TabularWriterFieldGroup, "Groups of fields to write")      \
    OPT(Options, matrixFieldGroup, setMatrixFieldGroup, TabularWriterFieldGroup,                             \
        "Sample fields to write for every sample, collated by sample")

VK_DECLARE_OPTIONS(TabularWriterSourceOptions, VkOptionsValue, 1,
                   "Base options for writing one source as a table", VK_TABULAR_WRITER_SOURCE_OPTIONS)

#define VK_DELIMITED_TEXT_WRITER_SOURCE_OPTIONS(OPT)                                                         \
    OPT(Bool, zeroBasedPos, setZeroBasedPos, true, "Write 0-based start positions")

VK_DECLARE_OPTIONS(DelimitedTextWriterSourceOptions, TabularWriterSourceOptions, 1,
                   "Options for writing one source as delimited text",
                   VK_DELIMITED_TEXT_WRITER_SOURCE_OPTIONS)

#define VK_XLSX_WRITER_SOURCE_OPTIONS(OPT)                                                                   \
    OPT(Bool, documentationComments, setDocumentationComments, true,                                         \
        "Attach each field's documentation to its header cell as a comment")                                 \
    OPT(Bool, hyperlinks, setHyperlinks, true, "Write values of fields with a link pattern as hyperlinks")   \
    OPT(Bool, zeroBasedPos, setZeroBasedPos, false, "Write 0-based start positions")                         \
    OPT(String, name, setName, "", "Name of the worksheet")

VK_DECLARE_OPTIONS(XlsxWriterSourceOptions, TabularWriterSourceOptions, 1,
                   "Options for writing one source as a worksheet", VK_XLSX_WRITER_SOURCE_OPTIONS)
