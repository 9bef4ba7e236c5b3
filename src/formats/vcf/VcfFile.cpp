#include "formats/vcf/VcfFile.h"

#include "formats/text/TextFileReader.h"

#include <QFile>
#include <QFileInfo>

namespace VcfFile {

namespace {

QByteArray firstBytes(const QString& path, int count) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(count) : QByteArray();
}

} // namespace

bool isCompressed(const QString& path) {
    return firstBytes(path, 2) == QByteArray("\x1f\x8b", 2);
}

// A BGZF block starts with a gzip header whose extra field is the "BC" subfield.
bool isBgzf(const QString& path) {
    const QByteArray header = firstBytes(path, 14);
    return header.size() == 14 && header.startsWith(QByteArray("\x1f\x8b\x08\x04", 4)) &&
           header.at(12) == 'B' && header.at(13) == 'C';
}

QString indexPath(const QString& path) {
    const QString index = path + QStringLiteral(".tbi");
    return QFileInfo(index).isFile() ? index : QString();
}

bool open(TextFile::Reader& reader, const QString& path, const QString& indexPath, QString* error) {
    bool opened = false;
    if (!isCompressed(path)) {
        opened = reader.openText(path);
        if (!opened)
            *error = QStringLiteral("Unable to open VCF %1").arg(path);
    } else if (!indexPath.isEmpty()) {
        opened = reader.openTabix(path, indexPath);
        // Tell a broken index from a broken data file.
        if (!opened)
            *error = reader.openBgzf(path)
                         ? QStringLiteral("Unable to open VCF.GZ.TBI index file %1").arg(indexPath)
                         : QStringLiteral("Unable to open VCF.GZ %1").arg(path);
    } else {
        opened = isBgzf(path) ? reader.openBgzf(path) : reader.openGzip(path);
        if (!opened)
            *error = QStringLiteral("Unable to open VCF.GZ %1").arg(path);
    }
    if (opened && !reader.startRead()) {
        *error = reader.errorText();
        opened = false;
    }
    if (!opened)
        reader.close();
    return opened;
}

} // namespace VcfFile
