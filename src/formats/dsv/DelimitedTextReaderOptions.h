#pragma once

#include "meta/VkOptionsDeclare.h"

// How a delimited text file is laid out. The probe fills in what it finds (names, types, genomic
// columns, where the data starts); a layout the probe got wrong is fixed by editing these options.
#define VK_DELIMITED_TEXT_READER_OPTIONS(OPT)                                                                \
    OPT(StringList, fieldNameList, setFieldNameList, {}, "Names of the columns, in file order")              \
    OPT(IntList, fieldTypeList, setFieldTypeList, {}, "Value type code of each column")                      \
    OPT(Int64, dataStartPosition, setDataStartPosition, -1,                                                  \
        "Stream offset of the first data line; -1 until known")                                              \
    OPT(StringList, fieldMapOutputNameList, setFieldMapOutputNameList, {},                                   \
        "Names of the fields exposed when a field map is used")                                              \
    OPT(IntList, fieldMapOutputTypeList, setFieldMapOutputTypeList, {}, "Type codes of the exposed fields")  \
    OPT(IntList, fieldMapInputIndexList, setFieldMapInputIndexList, {},                                      \
        "For each exposed field, the column it is read from")                                                \
    OPT(StringList, fieldMapInputNameList, setFieldMapInputNameList, {},                                     \
        "For each exposed field, the name of the column it is read from")                                    \
    OPT(Int, genomicSegmentIndex, setGenomicSegmentIndex, -1,                                                \
        "Column holding the chromosome, or a whole locus chr:start-stop; -1 for none", .greaterOrEqual(-1))  \
    OPT(Int, genomicStartIndex, setGenomicStartIndex, -1, "Column holding the start; -1 for none",           \
        .greaterOrEqual(-1))                                                                                 \
    OPT(Int, genomicStopIndex, setGenomicStopIndex, -1, "Column holding the stop; -1 for none",              \
        .greaterOrEqual(-1))                                                                                 \
    OPT(Bool, genomicStartOneBased, setGenomicStartOneBased, false, "The start column counts from 1")        \
    OPT(String, fieldDelimiter, setFieldDelimiter, "\t", "Separator between columns")                        \
    OPT(String, listDelimiter, setListDelimiter, ",", "Separator between the items of a list value")         \
    OPT(Enum, splitLineMethod, setSplitLineMethod, -1, "How a line is cut into columns",                     \
        .values({-1, 0, 1}, {"unknown", "simple", "quote"}, {"UnknownSplit", "SimpleSplit", "QuoteSplit"}))  \
    OPT(Enum, splitValueMethod, setSplitValueMethod, -1, "How a value is cut into list items",               \
        .values({-1, 0, 1}, {"unknown", "simple", "quote"}, {"UnknownSplit", "SimpleSplit", "QuoteSplit"}))  \
    OPT(String, quoteEscape, setQuoteEscape, "\\", "Escape character inside quoted text")                    \
    OPT(StringList, quoteList, setQuoteList, {}, "Characters that open and close a quoted value")            \
    OPT(Bool, quoteRemove, setQuoteRemove, true, "Strip the quote characters from quoted values")            \
    OPT(Bool, requireFieldCountMatch, setRequireFieldCountMatch, true,                                       \
        "A data line must have exactly as many columns as the header")                                       \
    OPT(Bool, dynamicFieldList, setDynamicFieldList, false, "The column list may grow while reading")        \
    OPT(Bool, removeEmptyListValues, setRemoveEmptyListValues, false, "Drop empty items from list values")   \
    OPT(Bool, removeEmptyLastListValue, setRemoveEmptyLastListValue, false,                                  \
        "Drop a trailing empty list item, as left by a closing delimiter")                                   \
    OPT(String, headerLineAutoGenPrefix, setHeaderLineAutoGenPrefix, "",                                     \
        "Prefix of generated column names when there is no header line")                                     \
    OPT(Int, headerLine, setHeaderLine, -1,                                                                  \
        "0-based line number of the header line; -1 to find it by "                                          \
        "pattern or have none",                                                                              \
        .greaterOrEqual(-1))                                                                                 \
    OPT(Bool, headerLineModify, setHeaderLineModify, false,                                                  \
        "Remove the matched header pattern from the header line before splitting it")                        \
    OPT(Int, headerLinePatternType, setHeaderLinePatternType, -1,                                            \
        "Pattern kind that recognises the header line; -1 for none", .greaterOrEqual(-1).lessOrEqual(5))     \
    OPT(String, headerLinePattern, setHeaderLinePattern, "", "Pattern of the header line")                   \
    OPT(Bool, headerLinePatternCase, setHeaderLinePatternCase, false,                                        \
        "The header pattern is case sensitive")                                                              \
    OPT(Bool, ignoreBlankLines, setIgnoreBlankLines, true, "Skip empty lines")                               \
    OPT(Int, ignoreLinePatternType, setIgnoreLinePatternType, -1, "Pattern kind of lines to skip",           \
        .greaterOrEqual(-1).lessOrEqual(5))                                                                  \
    OPT(String, ignoreLinePattern, setIgnoreLinePattern, "", "Pattern of lines to skip")                     \
    OPT(Bool, ignoreLinePatternCase, setIgnoreLinePatternCase, false,                                        \
        "The ignore pattern is case sensitive")                                                              \
    OPT(IntList, missingPatternTypeList, setMissingPatternTypeList, {},                                      \
        "Pattern kind of each missing-value pattern")                                                        \
    OPT(StringList, missingPatternList, setMissingPatternList, {}, "Values that mean missing")               \
    OPT(BoolList, missingPatternCaseList, setMissingPatternCaseList, {},                                     \
        "Case sensitivity of each missing-value pattern")                                                    \
    OPT(Int, maxHeaderSearchLineCount, setMaxHeaderSearchLineCount, 0,                                       \
        "Lines examined while looking for the header; 0 for no limit", .greaterOrEqual(0))                   \
    OPT(Int, maxFieldTypeSampleCount, setMaxFieldTypeSampleCount, 0,                                         \
        "Data lines examined to infer column types; 0 for no limit", .greaterOrEqual(0))                     \
    OPT(Int, maxListTypeSampleCount, setMaxListTypeSampleCount, 0,                                           \
        "List values examined to infer list item types; 0 for no limit", .greaterOrEqual(0))                 \
    OPT(Bool, trimChrName, setTrimChrName, true,                                                             \
        "Remove a leading chr from chromosome names and upper-case X, Y, M and MT")

VK_DECLARE_OPTIONS(DelimitedTextReaderOptions, VkOptionsValue, 1, "Layout of a delimited text file",
                   VK_DELIMITED_TEXT_READER_OPTIONS)

namespace DelimitedText {

// The values of the splitLineMethod and splitValueMethod options.
enum SplitMethod { UnknownSplit = -1, SimpleSplit = 0, QuoteSplit = 1 };

// How the header of a file is recognised when the format defaults are applied.
enum class HeaderStyle {
    FirstLine,   // the first line names the columns
    CommentLine, // the line that starts with "#" names them, without the "#"
};

// Sets the delimiters, splitting, header and missing-value options of a fresh record for
// comma-separated (csv) or tab-separated text.
void applyFormatDefaults(DelimitedTextReaderOptions& options, bool csv, HeaderStyle header);

} // namespace DelimitedText
