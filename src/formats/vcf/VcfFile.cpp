#include "formats/vcf/VcfFile.h"

#include "formats/text/CompressedFile.h"
#include "formats/text/TextFileReader.h"

#include <QFile>
#include <QFileInfo>

namespace VcfFile {

QString indexPath(const QString& path) {
    const QString index = path + QStringLiteral(".tbi");
    return QFileInfo(index).isFile() ? index : QString();
}

bool open(TextFile::Reader& reader, const QString& path, const QString& indexPath, QString* error) {
    bool opened = false;
    if (!TextFile::isGzip(path)) {
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
        opened = TextFile::isBgzf(path) ? reader.openBgzf(path) : reader.openGzip(path);
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
