#include "app/commands/WriteTsf.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/WriterCommand.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/VkSourceTaskListRunner.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {

const char kCuratedFormat[] = "yyyy-MM-dd hh:mm:ss";

} // namespace

bool WriteTsf::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    GetOpt opts(3);
    opts.addOptionalArgument(QStringLiteral("Dest"), &m_destinationPath);
    opts.addOption(QStringLiteral("query"), &m_query, QString());
    opts.addOption(QStringLiteral("compression"), &m_compressionName, QStringLiteral("default"));
    if (!opts.parse())
        return false;
    m_compression = compressionCode(m_compressionName);
    if (m_compression < 0) {
        Console::err(QStringLiteral("Unknown compression: %1 (default, zlib, zstd, lz4 or compact)\n")
                         .arg(m_compressionName));
        return false;
    }
    return true;
}

// The attrFieldCompression code of a --compression word, -1 for none.
int WriteTsf::compressionCode(const QString& name) {
    const QStringList names = {QStringLiteral("default"), QStringLiteral("zlib"), QStringLiteral("zstd"),
                               QStringLiteral("lz4"), QStringLiteral("compact")};
    return int(names.indexOf(name.toLower()));
}

int WriteTsf::run() {
    initDataFolders();
    const VkSourcePtr source = openInput(m_sourcePath);
    if (const int status = checkInput(source, m_sourcePath))
        return status;
    // Without a destination the query is ignored and the whole source written.
    if (m_query.isEmpty() || m_destinationPath.isEmpty())
        return runTaskList(TsfWriterTaskList::build(source->path(), m_destinationPath, m_compression), source);
    const VkSourcePtr subset = WriterCommand::queried(source, m_query);
    if (!subset)
        return 1;
    return runTaskList(
        TsfWriterTaskList::build(source->path(), m_destinationPath, subsetMeta(source->info().docInfo),
                                 m_compression),
        subset);
}

int WriteTsf::runTaskList(const TaskOptionsList& list, const VkSourcePtr& source) {
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    runner.start(list, {source});
    QCoreApplication::exec();
    return runner.errorText().isEmpty() ? 0 : 1;
}

SourceMetaOptions WriteTsf::subsetMeta(const SourceMetaOptions& meta) {
    SourceMetaOptions copy = meta.isNull() ? SourceMetaOptions() : meta.clone();
    const QString text = copy.curationTime();
    // The time is written back in the form it was read in.
    const QDateTime plain = QDateTime::fromString(text, QLatin1String(kCuratedFormat));
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    if (plain.isValid())
        copy.setCurationTime(plain.addSecs(60).toString(QLatin1String(kCuratedFormat)));
    else if (iso.isValid())
        copy.setCurationTime(iso.addSecs(60).toString(Qt::ISODate));
    return copy;
}
