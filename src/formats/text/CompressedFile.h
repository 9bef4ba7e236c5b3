#pragma once

#include <QString>

// What compression a file is in, told from its first bytes.
namespace TextFile {

// Whether the file starts like a gzip stream (BGZF or plain gzip).
bool isGzip(const QString& path);
// Whether the file is BGZF-compressed, the form tabix indexes.
bool isBgzf(const QString& path);

} // namespace TextFile
