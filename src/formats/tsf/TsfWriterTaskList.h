#pragma once

#include "tasks/TaskOptionsList.h"

// The task list that writes a source to a TSF file, as the writetsf command runs it.
namespace TsfWriterTaskList {

// Where a source is written when no destination is given: beside the source, its name with its
// suffixes (a compression suffix and the format's) replaced by ".tsf"; "trio.vcf.gz" gives
// "trio.tsf". A TSF source gives "<name>-copy.tsf", so the copy never lands on the original.
QString defaultDestination(const QString& sourcePath);

// One TsfWriterTask writing the list's input to the destination (the default one when empty), its
// chunks compressed as attrFieldCompression says (TsfWriteSettings::Compression).
TaskOptionsList build(const QString& sourcePath, const QString& destination, int compression = 0);
// The same, storing the given meta data as the written source's.
TaskOptionsList build(const QString& sourcePath, const QString& destination,
                      const SourceMetaOptions& sourceMeta, int compression = 0);

} // namespace TsfWriterTaskList
