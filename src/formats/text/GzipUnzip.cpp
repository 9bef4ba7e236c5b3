#include "formats/text/GzipUnzip.h"

#include "formats/text/TextFileReader.h"
#include "output/TextOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace TextFile {

namespace {

bool fail(QString* error, const QString& message) {
    *error = message;
    return false;
}

// A path, or a file:// URL; anything else with a scheme is a network source. One-letter schemes
// are Windows drive letters.
bool isNetworkSource(const QString& source, QString* localPath) {
    const QUrl url(source);
    if (url.scheme().size() <= 1) {
        *localPath = source;
        return false;
    }
    if (!url.isLocalFile())
        return true;
    *localPath = url.toLocalFile();
    return false;
}

bool isGzip(QFile& file) {
    char magic[2];
    return file.read(magic, 2) == 2 && magic[0] == '\x1f' && magic[1] == '\x8b';
}

bool checkSource(const QString& source, const QString& destination, QString* localPath, QString* error) {
    if (source.isEmpty())
        return fail(error, QStringLiteral("Source is not valid"));
    if (isNetworkSource(source, localPath))
        return fail(error, QStringLiteral("Network sources are not permited"));
    if (!QFileInfo(*localPath).isFile())
        return fail(error, QStringLiteral("Source file does not exist"));
    QFile file(*localPath);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Could not open the source file for unzipping"));
    if (!isGzip(file))
        return fail(error, QStringLiteral("Source is not a gzip file"));
    if (QFileInfo(*localPath).absoluteFilePath() == QFileInfo(destination).absoluteFilePath())
        return fail(error, QStringLiteral("Source and destination have the same path"));
    return true;
}

bool copyLines(Reader& reader, TextOutput& out, QString* error) {
    int length = 0;
    while (const char* line = reader.nextLine(&length)) {
        out.buffer().append(line, length).append('\n');
        if (!out.flushIfFull(error))
            return false;
    }
    if (reader.hasError())
        return fail(error, reader.errorText());
    return out.commit(error);
}

// The zipped file is renamed before it is deleted, so that its name no longer leads to the stale
// copy even when the delete is refused.
bool removeZipped(const QString& path, QString* error) {
    const QString doomed = path + QStringLiteral(".unzipped");
    QFile::remove(doomed);
    if (!QFile::rename(path, doomed))
        return fail(error, QStringLiteral("Could not rename zipped file"));
    return QFile::remove(doomed) || fail(error, QStringLiteral("Could not delete zipped file"));
}

} // namespace

bool unzipFile(const QString& source, const QString& destination, bool replaceZipped, QString* error) {
    QString path;
    if (!checkSource(source, destination, &path, error))
        return false;
    Reader reader;
    if (!reader.openGzip(path) || !reader.startRead())
        return fail(error, QStringLiteral("Could not open the source file for unzipping"));
    TextOutput out(destination);
    if (!out.open({path}, error) || !copyLines(reader, out, error))
        return false;
    return !replaceZipped || removeZipped(path, error);
}

} // namespace TextFile
