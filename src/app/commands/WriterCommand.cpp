#include "app/commands/WriterCommand.h"

#include "app/Console.h"
#include "app/Task.h"
#include "formats/vcf/VCFWriterRunner.h"
#include "output/OutputDestination.h"
#include "source/readers/RegionSubsetSource.h"
#include "source/readers/SegmentQuery.h"
#include "tasks/CmdWorkerRunnerLogger.h"
#include "tasks/workers/VkEventedThread.h"
#include "writers/WriterRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

namespace {

bool isTabular(const VkField& field) {
    return field.fieldType == VkField::LocusAttribute || field.isMatrix();
}

QVector<int> tabularFields(const VkFieldList& schema) {
    QVector<int> fields;
    for (const VkField& field : schema)
        if (isTabular(field))
            fields.append(field.idx);
    return fields;
}

int checkTabularFields(const VkFieldList& schema, const QVector<int>& fields) {
    for (int idx : fields) {
        if (idx < 0 || idx >= schema.size())
            return Task::printError(QStringLiteral("Selected field idx is not valid %1").arg(idx));
        if (!isTabular(schema.at(idx)))
            return Task::printError(
                QStringLiteral("Only locus and sample fields are supported! Remove field: %1 from selection")
                    .arg(QString::fromUtf8(schema.at(idx).name)));
    }
    return 0;
}

} // namespace

int WriterCommand::run(const std::function<WriterWorker*(VkEventedThread* readerThread)>& makeWorker) {
    QPointer<VkEventedThread> readerThread = new VkEventedThread(QStringLiteral("Reader Thread"));
    QPointer<VkEventedThread> writerThread = new VkEventedThread(QStringLiteral("Writer Thread"));
    int status = 1;
    {
        WriterRunner runner([&] { return makeWorker(readerThread); }, writerThread);
        CmdWorkerRunnerLogger logger(&runner);
        runner.start();
        QCoreApplication::exec();
        status = runner.hasError() ? 1 : 0;
    }
    VkEventedThread::shutdownAndWait(writerThread);
    VkEventedThread::shutdownAndWait(readerThread);
    return status;
}

int WriterCommand::runVcfWriter(const VkSourcePtr& source, const VCFWriterTask& task) {
    QPointer<VkEventedThread> writerThread = new VkEventedThread(QStringLiteral("Writer Thread"));
    int status = 0;
    {
        VCFWriterRunner runner(source, task, writerThread);
        CmdWorkerRunnerLogger logger(&runner);
        runner.start();
        QCoreApplication::exec();
        for (const QString& warning : runner.warnings())
            Console::err(warning);
        status = runner.hasError() ? 1 : 0;
    }
    VkEventedThread::shutdownAndWait(writerThread);
    return status;
}

int WriterCommand::selectTabularFields(const VkFieldList& schema, QVector<int>& fields) {
    if (fields.isEmpty())
        fields = tabularFields(schema);
    return checkTabularFields(schema, fields);
}

void WriterCommand::announceDestination(const QString& destination) {
    const QString line = QStringLiteral("Writing to: %1\n").arg(destination);
    if (OutputDestination::isStandardOutput(destination))
        Console::err(line);
    else
        Console::out(line);
}

VkSourcePtr WriterCommand::queried(const VkSourcePtr& source, const QString& query) {
    if (query.isEmpty())
        return source;
    QString error;
    const QList<VkSegment> segments = SegmentQuery::parse(query.toUtf8(), &error);
    if (segments.isEmpty()) {
        Console::err(QStringLiteral("Failed to parse query: %1\n").arg(error));
        return nullptr;
    }
    return RegionSubsetSource::create(source, segments);
}

QString WriterCommand::baseName(const VkSource& source) {
    if (source.inputPaths() == QStringList{source.path()})
        return QFileInfo(source.path()).completeBaseName();
    return source.info().name;
}

QString WriterCommand::outputBesideSource(const VkSource& source, const QString& suffix) {
    return QFileInfo(source.inputPaths().value(0)).canonicalPath() + QLatin1Char('/') + baseName(source) +
           suffix;
}
