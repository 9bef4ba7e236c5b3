#include "app/commands/WriteXlsx.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/WriterCommand.h"
#include "writers/XlsxWriterWorker.h"

#include <QFileInfo>

bool WriteXlsx::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    if (args.size() == 3)
        return true;

    QStringList groups;
    QString matrixFields;
    GetOpt opts(3);
    opts.addOptionalArgument(QStringLiteral("path"), &m_destinationPath);
    opts.addRepeatableOption(QStringLiteral("group"), &groups);
    opts.addOption(QStringLiteral("matrixFields"), &matrixFields, QString());
    opts.addOption(QStringLiteral("query"), &m_query, QString());
    if (!opts.parse()) {
        Console::out(QStringLiteral("invalid arguments!\n") + args.join(QLatin1Char(' ')) +
                     QLatin1Char('\n'));
        return false;
    }
    if (!matrixFields.trimmed().isEmpty() &&
        !readFieldGroup(QStringLiteral("dummyName,") + matrixFields, m_matrixFieldGroup))
        return false;
    for (const QString& group : groups)
        if (!readFieldGroup(group, m_fieldGroups))
            return false;
    return true;
}

namespace {
TabularWriterFieldGroup fieldGroup(const FieldGroupSelection& selection) {
    TabularWriterFieldGroup group;
    group.setGroupName(selection.name);
    group.setGroupFields(selection.fieldIndexes);
    return group;
}
} // namespace

int WriteXlsx::run() {
    const VkSourcePtr opened = openInput(m_sourcePath);
    if (const int status = checkInput(opened, m_sourcePath))
        return status;
    const VkSourcePtr source = WriterCommand::queried(opened, m_query);
    if (!source)
        return 1;

    XlsxWriterSourceOptions sheet;
    QVector<TabularWriterFieldGroup> groups;
    QVector<int> fields;
    for (const FieldGroupSelection& selection : qAsConst(m_fieldGroups)) {
        groups.append(fieldGroup(selection));
        fields += selection.fieldIndexes;
    }
    sheet.setFieldGroups(groups);
    if (!m_matrixFieldGroup.isEmpty()) {
        sheet.setMatrixFieldGroup(fieldGroup(m_matrixFieldGroup.first()));
        fields += m_matrixFieldGroup.first().fieldIndexes;
    }
    // Without groups the writer writes every locus and sample field.
    if (const int status = WriterCommand::selectTabularFields(source->schema(), fields))
        return status;

    const QString destination =
        m_destinationPath.isEmpty()
            ? WriterCommand::outputBesideSource(*opened, QStringLiteral(".xlsx"))
            : m_destinationPath;
    const QString folder = QFileInfo(destination).absolutePath();
    if (!QFileInfo(folder).isDir())
        return printError(QStringLiteral("Destination directory does not exist:\n%1").arg(folder));

    XlsxWriterTask task;
    task.setOutputFilePath(destination);
    task.setWorksheets({sheet});
    return WriterCommand::run(
        [&](VkEventedThread* readerThread) { return new XlsxWriterWorker(source, task, readerThread); });
}
