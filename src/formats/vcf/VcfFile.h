#pragma once

#include <QString>

namespace TextFile {
class Reader;
}

// Opening a VCF file in the line-reading mode that fits it.
namespace VcfFile {

// The path of the file's tabix index ("<path>.tbi") when it exists; empty otherwise.
QString indexPath(const QString& path);

// Opens the file and starts reading it from the first line: through its tabix index when an index
// path is given, otherwise sequentially as BGZF, plain gzip or plain text. Failures give
// "Unable to open VCF.GZ.TBI index file %1", "Unable to open VCF.GZ %1" or "Unable to open VCF %1".
bool open(TextFile::Reader& reader, const QString& path, const QString& indexPath, QString* error);

} // namespace VcfFile
