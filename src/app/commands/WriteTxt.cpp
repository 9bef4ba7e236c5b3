#include "app/commands/WriteTxt.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/FieldSelection.h"
#include "app/commands/WriterCommand.h"
#include "writers/DelimitedTextWriterWorker.h"

bool WriteTxt::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    if (args.size() < 4)
        return true;
    QString fields;
    GetOpt opts(3);
    opts.addArgument(QStringLiteral("path"), &m_destinationPath);
    opts.addOption(QStringLiteral("fields"), &fields, QString());
    opts.addOption(QStringLiteral("query"), &m_query, QString());
    opts.parse();
    if (!parseFieldIndexList(fields, m_fieldIndexes)) {
        Console::out(QByteArray("field idx must be integer values"));
        return false;
    }
    return true;
}

int WriteTxt::run() {
    const VkSourcePtr opened = openInput(m_sourcePath);
    if (const int status = checkInput(opened, m_sourcePath))
        return status;
    const VkSourcePtr source = WriterCommand::queried(opened, m_query);
    if (!source)
        return 1;
    QVector<int> fields = m_fieldIndexes;
    if (const int status = WriterCommand::selectTabularFields(source->schema(), fields))
        return status;

    const QString destination =
        m_destinationPath.isEmpty()
            ? WriterCommand::outputBesideSource(*opened, QStringLiteral(".txt"))
            : m_destinationPath;
    TabularWriterFieldGroup group;
    group.setGroupFields(fields);
    DelimitedTextWriterSourceOptions options;
    options.setFieldGroups({group});
    DelimitedTextWriterTask task;
    task.setOutputFilePath(destination);
    task.setSourceOptions(options);
    task.setFieldDelim(QStringLiteral("\t"));
    task.setSubDelim(QStringLiteral(","));
    task.setWriteHeader(true);
    task.setHeaderPrefix(QStringLiteral("#"));
    return WriterCommand::run([&](VkEventedThread* readerThread) {
        return new DelimitedTextWriterWorker(source, task, readerThread);
    });
}
