#include "formats/text/BgzfBlockScan.h"

#include <QFile>
#include <QFileInfo>
#include <htslib/bgzf.h>
#include <htslib/hts.h>

namespace TextFile {

namespace {

constexpr int HeaderSize = 18;
constexpr qint64 EofBlockSize = 28;

bool fail(QString* error, const QString& message) {
    *error = message;
    return false;
}

// The BGZF reader tells BGZF from plain gzip by the "BC" extra field of the first block.
bool isBgzf(const QString& path) {
    if (!QFileInfo(path).isFile())
        return false;
    BGZF* handle = bgzf_open(path.toLocal8Bit().constData(), "r");
    if (!handle)
        return false;
    const bool result = bgzf_compression(handle) == bgzf;
    bgzf_close(handle);
    return result;
}

bool validHeader(const unsigned char* header) {
    return header[0] == 0x1f && header[1] == 0x8b && header[12] == 'B' && header[13] == 'C';
}

} // namespace

bool scanBgzfBlocks(const QString& path, QList<qint64>* blockStarts, QString* error) {
    blockStarts->clear();
    QList<qint64> starts;
    if (!isBgzf(path))
        return fail(error, QStringLiteral("Input file '%1' is not a valid BGZip file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return fail(error, QStringLiteral("Unable to open input file '%1'").arg(path));
    const qint64 size = file.size();
    unsigned char header[HeaderSize];
    for (qint64 offset = 0; offset < size;) {
        const int block = starts.size();
        if (file.read(reinterpret_cast<char*>(header), HeaderSize) != HeaderSize)
            return fail(
                error, QStringLiteral("BGZip block header(%1) incomplete in file '%2'").arg(block).arg(path));
        if (!validHeader(header))
            return fail(error,
                        QStringLiteral("BGZip block header(%1) invalid in file '%2'").arg(block).arg(path));
        starts.append(offset);
        offset += (header[16] | header[17] << 8) + 1;
        if (!file.seek(offset))
            return fail(error, QStringLiteral("Invalid seek(%1) in file '%2'").arg(offset).arg(path));
    }
    if (starts.isEmpty() || starts.last() != size - EofBlockSize)
        return fail(error, QStringLiteral("BGZip EOF block has unexpected size in file '%1'").arg(path));
    *blockStarts = starts;
    return true;
}

} // namespace TextFile
