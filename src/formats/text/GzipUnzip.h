#pragma once

#include <QString>

namespace TextFile {

// Writes the lines of a local gzip file to a plain text file, each ending in "\n" (so "\r\n" line
// ends become "\n"). With replaceZipped the gzip file is removed once the copy is complete. Returns
// false with an error text on failure; the destination is replaced only by a complete copy.
bool unzipFile(const QString& source, const QString& destination, bool replaceZipped, QString* error);

} // namespace TextFile
