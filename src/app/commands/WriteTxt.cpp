#include "app/commands/WriteTxt.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/FieldSelection.h"

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
    opts.parse();
    if (!parseFieldIndexList(fields, m_fieldIndexes)) {
        Console::out(QByteArray("field idx must be integer values"));
        return false;
    }
    return true;
}
