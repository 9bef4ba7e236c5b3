#include "app/commands/WriteXlsx.h"

#include "app/Console.h"
#include "app/GetOpt.h"

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
