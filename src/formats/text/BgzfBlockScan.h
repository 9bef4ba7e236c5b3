#pragma once

#include <QList>
#include <QString>

namespace TextFile {

// Lists the start offsets of every block of a BGZF file, the end-of-file block included, checking
// each block header and that the file ends with the standard 28-byte empty block. Used to split work
// over a file and to check it. Returns false with an error text when the file is not sound BGZF.
bool scanBgzfBlocks(const QString& path, QList<qint64>* blockStarts, QString* error);

} // namespace TextFile
