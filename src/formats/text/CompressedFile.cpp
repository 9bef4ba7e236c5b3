#include "formats/text/CompressedFile.h"

#include <QByteArray>
#include <QFile>

namespace {

QByteArray firstBytes(const QString& path, int count) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(count) : QByteArray();
}

} // namespace

namespace TextFile {

bool isGzip(const QString& path) {
    return firstBytes(path, 2) == QByteArray("\x1f\x8b", 2);
}

// A BGZF block starts with a gzip header whose extra field is the "BC" subfield.
bool isBgzf(const QString& path) {
    const QByteArray header = firstBytes(path, 14);
    return header.size() == 14 && header.startsWith(QByteArray("\x1f\x8b\x08\x04", 4)) &&
           header.at(12) == 'B' && header.at(13) == 'C';
}

} // namespace TextFile
