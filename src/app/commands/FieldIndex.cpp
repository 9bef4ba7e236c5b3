#include "app/commands/FieldIndex.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "formats/tsf/TsfFieldIndexer.h"
#include "formats/tsf/TsfSourceTypeManager.h"
#include "tasks/CmdWorkerRunnerLogger.h"
#include "tasks/PrecomputeRunner.h"
#include "tasks/workers/VkEventedThread.h"

#include <QCoreApplication>
#include <QPointer>

bool FieldIndex::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    QString indexText = QStringLiteral("-notset-");
    if (args.size() >= 4) {
        GetOpt opts(3);
        opts.addOption(QStringLiteral("path"), &m_indexPath, QString());
        opts.addOption(QStringLiteral("index"), &indexText, QString());
        opts.parse();
    }
    if (!indexText.isEmpty()) {
        bool ok = false;
        m_fieldIndex = indexText.toInt(&ok);
        if (!ok) {
            Console::out(QStringLiteral("Not an integer: %1\n").arg(indexText));
            return false;
        }
        m_indexGiven = true;
    }
    m_pathGiven = !m_indexPath.isEmpty();
    return true;
}

int FieldIndex::run() {
    const VkSourcePtr source = openInput(m_sourcePath);
    if (!source || !source->isValid())
        return printError(QStringLiteral("source %1 is not valid: %2\n")
                              .arg(m_sourcePath, source ? source->errorText() : QString()));
    if (source->manager()->typeId() != TsfSourceTypeManager::TypeId)
        return printError(QStringLiteral("Not a TSF file:  %1\n").arg(m_sourcePath));
    const VkFieldList schema = source->schema();
    const int field = m_indexGiven && m_fieldIndex >= 0 && m_fieldIndex < schema.size()
                          ? m_fieldIndex
                          : TsfFieldIndexer::firstStringField(*source);
    if (field < 0)
        return printError(QStringLiteral("No String field to index in %1\n").arg(m_sourcePath));
    const QString storePath = m_pathGiven ? m_indexPath : TsfFieldIndexer::defaultStorePath(m_sourcePath);
    Console::out(QStringLiteral("Indexing: %1 (%2)\n").arg(m_sourcePath, storePath));
    Console::out(
        QStringLiteral(" Field: %1 (%2)\n").arg(field).arg(QString::fromUtf8(schema.at(field).name)));
    return index(source, field, storePath);
}

int FieldIndex::index(const VkSourcePtr& source, int field, const QString& storePath) {
    QPointer<VkEventedThread> writerThread = new VkEventedThread(QStringLiteral("Writer Thread"));
    int status = 1;
    {
        TsfFieldIndexer indexer(source, field, storePath);
        PrecomputeRunner runner([&indexer](const PrecomputeProgress& progress,
                                           QString* error) { return indexer.run(progress, error); },
                                source->path(), writerThread);
        CmdWorkerRunnerLogger logger(&runner);
        runner.start();
        QCoreApplication::exec();
        status = runner.hasError() ? 1 : 0;
    }
    VkEventedThread::shutdownAndWait(writerThread);
    return status;
}
