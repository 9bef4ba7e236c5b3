#include "formats/tsf/TsfWriterTaskList.h"

#include <QDir>
#include <QFileInfo>

namespace {

const char* const kCompressionSuffixes[] = {".gz", ".bgz", ".bz2", ".zip", ".xz"};

} // namespace

namespace TsfWriterTaskList {

namespace {

TsfWriterTask writerTask(const QString& sourcePath, const QString& destination, int compression) {
    TsfWriterTask task;
    task.setIdentifier(QStringLiteral("tsfWriter"));
    task.setFilePath(destination.isEmpty() ? defaultDestination(sourcePath) : destination);
    task.setAttrFieldCompression(compression);
    return task;
}

TaskOptionsList listOf(const TsfWriterTask& task) {
    TaskOptionsList list;
    list.setTasks({task});
    return list;
}

} // namespace

QString defaultDestination(const QString& sourcePath) {
    const QFileInfo source(sourcePath);
    QString name = source.fileName();
    for (const char* suffix : kCompressionSuffixes) {
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) {
            name.chop(int(qstrlen(suffix)));
            break;
        }
    }
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const bool isTsf = dot > 0 && name.midRef(dot).compare(QLatin1String(".tsf"), Qt::CaseInsensitive) == 0;
    if (dot > 0)
        name.truncate(dot);
    return source.dir().filePath(name + (isTsf ? QStringLiteral("-copy.tsf") : QStringLiteral(".tsf")));
}

TaskOptionsList build(const QString& sourcePath, const QString& destination, int compression) {
    return listOf(writerTask(sourcePath, destination, compression));
}

TaskOptionsList build(const QString& sourcePath, const QString& destination,
                      const SourceMetaOptions& sourceMeta, int compression) {
    TsfWriterTask task = writerTask(sourcePath, destination, compression);
    task.setSourceMeta(sourceMeta);
    return listOf(task);
}

} // namespace TsfWriterTaskList
