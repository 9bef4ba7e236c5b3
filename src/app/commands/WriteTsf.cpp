#include "app/commands/WriteTsf.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "formats/tsf/TsfWriterTaskList.h"
#include "source/readers/RegionSubsetSource.h"
#include "source/readers/SegmentQuery.h"
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
    return opts.parse();
}

int WriteTsf::run() {
    initDataFolders();
    const VkSourcePtr source = openInput(m_sourcePath);
    if (const int status = checkInput(source, m_sourcePath))
        return status;
    // Without a destination the query is ignored and the whole source written.
    if (m_query.isEmpty() || m_destinationPath.isEmpty())
        return runTaskList(TsfWriterTaskList::build(source->path(), m_destinationPath), source);
    QString error;
    const QList<VkSegment> segments = SegmentQuery::parse(m_query.toUtf8(), &error);
    if (segments.isEmpty()) {
        Console::err(QStringLiteral("Failed to parse query: %1\n").arg(error));
        return 1;
    }
    return runTaskList(
        TsfWriterTaskList::build(source->path(), m_destinationPath, subsetMeta(source->info().docInfo)),
        RegionSubsetSource::create(source, segments));
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
