#pragma once

#include "meta/VkOptionsDeclare.h"
#include "meta/families/FieldMetaOptions.h"
#include "meta/families/RenameOptions.h"
#include "meta/families/SourceMetaOptions.h"
#include "meta/families/TabularWriterSourceOptions.h"

// The records of the tasks that a task list runs. Every task names the tasks whose result
// sources it takes as input.

#define VK_SOURCE_TASK_OPTIONS(OPT)                                                                          \
    OPT(String, identifier, setIdentifier, "", "Identifier of the task inside its list")                     \
    OPT(StringList, inputs, setInputs, {}, "Identifiers of the tasks whose results this task takes")         \
    OPT(String, taskName, setTaskName, "", "Name of the task")

VK_DECLARE_OPTIONS(SourceTaskOptions, VkOptionsValue, 1,
                   "Base for tasks that take one or more sources, and produce a source",
                   VK_SOURCE_TASK_OPTIONS)

#define VK_READER_TASK(OPT) OPT(String, filePath, setFilePath, "", "Path or URL of the source to read")

VK_DECLARE_OPTIONS(ReaderTask, SourceTaskOptions, 1,
                   "Read a file supported by one of our VkSourceTypeManagers", VK_READER_TASK)

#define VK_DELIMITED_TEXT_READER_TASK(OPT)                                                                   \
    OPT(String, filePath, setFilePath, "", "Path of the delimited text file")                                \
    OPT(Options, options, setOptions, VkOptionsValue, "How the file is laid out")

VK_DECLARE_OPTIONS(DelimitedTextReaderTask, SourceTaskOptions, 1, "Read a delimited text file",
                   VK_DELIMITED_TEXT_READER_TASK)

#define VK_TSF_WRITER_TASK(OPT)                                                                              \
    OPT(String, filePath, setFilePath, "",                                                                   \
        "Output path, or a name beginning with [memory] for an in-memory database")                          \
    OPT(Bool, newFile, setNewFile, true, "Create the file anew, replacing an existing one")                  \
    OPT(Options, sourceMeta, setSourceMeta, SourceMetaOptions, "Source properties to store")                 \
    OPT(OptionsList, fieldsMeta, setFieldsMeta, FieldMetaOptions, "Field properties to store, per field")    \
    OPT(String, sourceName, setSourceName, "", "Name of the written source")                                 \
    OPT(StringList, dropSegmentsList, setDropSegmentsList, {}, "Chromosomes whose records are left out")     \
    OPT(Options, segmentRenameOptions, setSegmentRenameOptions, RenameOptions,                               \
        "Renaming of chromosome names while writing")                                                        \
    OPT(Int, chunkBits, setChunkBits, -1, "Records per chunk as a power of two; 2 or less means automatic",  \
        .lessOrEqual(30))                                                                                    \
    OPT(Bool, buildGenomicIndex, setBuildGenomicIndex, true, "Build the genomic index at the end")           \
    OPT(Enum, attrFieldCompression, setAttrFieldCompression, 0, "Compression of the field chunks",           \
        .values({0, 1, 2, 3, 4},                                                                             \
                {"CompressionDefault", "CompressionZlib", "CompressionZstd", "CompressionLZ4",               \
                 "CompressionCompact"},                                                                      \
                {"Use default", "Previous default", "10 to 20 percent larger than zlib, but 2-3x faster",    \
                 "50 percent larger than zlib, but 10x faster",                                              \
                 "Per-sample fields as Blosc with Zstandard: about half the size of the default"}))

VK_DECLARE_OPTIONS(TsfWriterTask, SourceTaskOptions, 1, "Write a new file", VK_TSF_WRITER_TASK)

#define VK_TSF_REWRITER_TASK(OPT)                                                                            \
    OPT(String, tmpFilePath, setTmpFilePath, "", "Where the rewritten file is written first")                \
    OPT(Enum, attrFieldCompression, setAttrFieldCompression, 0, "Compression of the field chunks",           \
        .values({0, 1, 2, 3, 4},                                                                             \
                {"CompressionDefault", "CompressionZlib", "CompressionZstd", "CompressionLZ4",               \
                 "CompressionCompact"},                                                                      \
                {"Use default", "Previous default", "10 to 20 percent larger than zlib, but 2-3x faster",    \
                 "50 percent larger than zlib, but 10x faster",                                              \
                 "Per-sample fields as Blosc with Zstandard: about half the size of the default"}))

VK_DECLARE_OPTIONS(TsfRewriterTask, SourceTaskOptions, 1, "Rewrite a file in genomic order",
                   VK_TSF_REWRITER_TASK)

VK_DECLARE_OPTIONS(TsfInMemRewriterTask, SourceTaskOptions, 1, "Rewrite a file into a in-memory source",
                   VK_NO_OPTIONS)

#define VK_REMOVE_IN_MEM_TSF_TASK(OPT)                                                                       \
    OPT(String, sourceUrl, setSourceUrl, "", "The in-memory source to delete", .scrub())

VK_DECLARE_OPTIONS(RemoveInMemTsfTask, SourceTaskOptions, 1, "Delete a in memory tsf",
                   VK_REMOVE_IN_MEM_TSF_TASK)

#define VK_REMOVE_FILE_TASK(OPT) OPT(String, filePath, setFilePath, "", "The file to delete")

VK_DECLARE_OPTIONS(RemoveFileTask, SourceTaskOptions, 1, "Delete a file", VK_REMOVE_FILE_TASK)

#define VK_VCF_WRITER_TASK(OPT)                                                                              \
    OPT(String, outputFilePath, setOutputFilePath, "", "Path of the VCF file to write")                      \
    OPT(IntList, fieldList, setFieldList, {}, "Indexes of the fields to write; empty writes all")            \
    OPT(IntList, flagList, setFlagList, {}, "Indexes of the fields written as INFO flags")                   \
    OPT(String, versionInfo, setVersionInfo, "varkit " VARKIT_VERSION,                                       \
        "Written in the ##source header line")                                                               \
    OPT(Bool, outputMatrixFilter, setOutputMatrixFilter, false, "Declare the per-sample FT field")           \
    OPT(Bool, outputMatrixQuality, setOutputMatrixQuality, false, "Declare the per-sample QUAL field")       \
    OPT(Int, sortWindowSize, setSortWindowSize, 0,                                                           \
        "Records re-sorted together before writing; 0 sorts none", .greaterOrEqual(0))                       \
    OPT(Bool, readInGenomicOrder, setReadInGenomicOrder, true, "Read the source in genomic order")

VK_DECLARE_OPTIONS(VCFWriterTask, SourceTaskOptions, 1, "Write a vcf file", VK_VCF_WRITER_TASK)

#define VK_TABULAR_WRITER_TASK(OPT)                                                                          \
    OPT(String, outputFilePath, setOutputFilePath, "", "Path of the file to write")                          \
    OPT(String, missingValue, setMissingValue, "", "Text written for a missing value")

VK_DECLARE_OPTIONS(TabularWriterTask, SourceTaskOptions, 1, "Base options for wriing a tabular source",
                   VK_TABULAR_WRITER_TASK)

#define VK_DELIMITED_TEXT_WRITER_TASK(OPT)                                                                   \
    OPT(Options, sourceOptions, setSourceOptions, DelimitedTextWriterSourceOptions,                          \
        "What to write of the source")                                                                       \
    OPT(String, fieldDelim, setFieldDelim, "", "Separator between fields")                                   \
    OPT(String, subDelim, setSubDelim, "", "Separator between the elements of a list value")                 \
    OPT(Bool, writeHeader, setWriteHeader, true, "Write a header line first")                                \
    OPT(String, headerPrefix, setHeaderPrefix, "#", "Text that starts the header line")

VK_DECLARE_OPTIONS(DelimitedTextWriterTask, TabularWriterTask, 1, "Write a delimited text file",
                   VK_DELIMITED_TEXT_WRITER_TASK)

#define VK_XLSX_WRITER_TASK(OPT)                                                                             \
    OPT(OptionsList, worksheets, setWorksheets, XlsxWriterSourceOptions, "One record per worksheet")         \
    OPT(String, author, setAuthor, "", "Author of the workbook")                                             \
    OPT(String, listDelim, setListDelim, ",", "Separator between the elements of a list value")

VK_DECLARE_OPTIONS(XlsxWriterTask, TabularWriterTask, 1, "Write an Xls file with a single sheet",
                   VK_XLSX_WRITER_TASK)

#define VK_FASTA_WRITER_TASK(OPT)                                                                            \
    OPT(String, outputFilePath, setOutputFilePath, "", "Path of the FASTA file to write")                    \
    OPT(Bool, writeFilePerChr, setWriteFilePerChr, false, "Write one file per chromosome")

VK_DECLARE_OPTIONS(FastaWriterTask, SourceTaskOptions, 1, "Write a Fasta file", VK_FASTA_WRITER_TASK)

#define VK_VARIABLE_WIG_WRITER_TASK(OPT)                                                                     \
    OPT(String, outputFilePath, setOutputFilePath, "", "Path of the wig file to write")                      \
    OPT(String, exportFieldSymbol, setExportFieldSymbol, "", "Symbol of the field to export")                \
    OPT(Bool, singleBaseSpan, setSingleBaseSpan, false, "Write every value with a span of one base")

VK_DECLARE_OPTIONS(VariableWigWriterTask, SourceTaskOptions, 1, "Write a VariableWig file",
                   VK_VARIABLE_WIG_WRITER_TASK)

#define VK_FIELD_INDEX_TASK(OPT)                                                                             \
    OPT(Int, fieldIdx, setFieldIdx, -1, "Index of the string field to index")                                \
    OPT(String, fieldName, setFieldName, "", "Name of the field to index")                                   \
    OPT(String, tempPath, setTempPath, "", "Folder for the temporary index store")

VK_DECLARE_OPTIONS(FieldIndexTask, SourceTaskOptions, 1, "Index a string field for prefixSearch",
                   VK_FIELD_INDEX_TASK)

#define VK_SORT_VCF_TASK(OPT)                                                                                \
    OPT(String, outputFilePath, setOutputFilePath, "", "Path of the sorted file")                            \
    OPT(Bool, keepUnsorted, setKeepUnsorted, false, "Keep the unsorted file")

VK_DECLARE_OPTIONS(SortVCFTask, SourceTaskOptions, 1, "Sort the records of a VCF file in genomic order",
                   VK_SORT_VCF_TASK)

#define VK_FILE_UNZIP_TASK(OPT)                                                                              \
    OPT(String, outputFilePath, setOutputFilePath, "", "Path of the unzipped file")

VK_DECLARE_OPTIONS(FileUnzipTask, SourceTaskOptions, 1, "Unzip a gzip compressed file", VK_FILE_UNZIP_TASK)

#define VK_PRECOMPUTE_TASK(OPT)                                                                              \
    OPT(String, usage, setUsage, "", "The precompute to run, such as GenomicIndex")

VK_DECLARE_OPTIONS(PrecomputeTask, SourceTaskOptions, 1, "Run precompute on a source", VK_PRECOMPUTE_TASK)

#define VK_TRANSFORM_TASK(OPT)                                                                               \
    OPT(String, txName, setTxName, "", "Registered name of the transform")                                   \
    OPT(Options, txOptions, setTxOptions, VkOptionsValue, "Option record of the transform")

VK_DECLARE_OPTIONS(
    TransformTask, SourceTaskOptions, 1,
    "Apply FnTransform to the source. Create with FnTransform::transformByName(txName, txOptions)",
    VK_TRANSFORM_TASK)

#define VK_WORKER_THREAD_ALLOCATION_TASK(OPT)                                                                \
    OPT(Int, threadCount, setThreadCount, 1, "Number of threads to set up", .greaterOrEqual(1))

VK_DECLARE_OPTIONS(WorkerThreadAllocationTask, SourceTaskOptions, 1,
                   "Create a prioritized list of threads to be used by a tasks workers",
                   VK_WORKER_THREAD_ALLOCATION_TASK)

VK_DECLARE_OPTIONS(AggregateOutputTask, SourceTaskOptions, 1,
                   "Take the resutls of multiple tasks and return them as a list of sources", VK_NO_OPTIONS)

#define VK_ASSESSMENT_IMPORT_TASK(OPT)                                                                       \
    OPT(String, username, setUsername, "", "Account of the catalog")                                         \
    OPT(String, userDisplayName, setUserDisplayName, "", "Name shown for the account")                       \
    OPT(String, password, setPassword, "", "Password of the account")                                        \
    OPT(IntList, fieldList, setFieldList, {}, "Indexes of the fields to import")                             \
    OPT(String, configUrl, setConfigUrl, "", "Where the catalog's configuration is")

VK_DECLARE_OPTIONS(AssessmentImportTask, SourceTaskOptions, 1,
                   "Import the records from a source into an assessment catalog", VK_ASSESSMENT_IMPORT_TASK)

#define VK_CNV_REFERENCE_TASK(OPT)                                                                           \
    OPT(String, sampleBam, setSampleBam, "", "Alignments of the sample")                                     \
    OPT(String, outRefFolder, setOutRefFolder, "", "Folder that receives the reference")                     \
    OPT(String, blackListPath, setBlackListPath, "", "Regions to leave out")                                 \
    OPT(String, coordSysId, setCoordSysId, "", "Genome assembly of the alignments")

VK_DECLARE_OPTIONS(CNVReferenceTask, SourceTaskOptions, 1,
                   "Import the regions from bam as sample CNV reference", VK_CNV_REFERENCE_TASK)

#define VK_CNV_BINNED_REFERENCE_TASK(OPT)                                                                    \
    OPT(Int, binSize, setBinSize, 1000, "Width of a coverage bin in bases", .greaterThan(0))

VK_DECLARE_OPTIONS(CNVBinnedReferenceTask, CNVReferenceTask, 1,
                   "Import the regions from bam as sample CNV reference", VK_CNV_BINNED_REFERENCE_TASK)
