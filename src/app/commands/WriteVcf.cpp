#include "app/commands/WriteVcf.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "app/commands/FieldSelection.h"

bool WriteVcf::parseArgs() {
    const QStringList args = arguments();
    if (args.size() < 3)
        return false;
    m_sourcePath = args.at(2);
    if (args.size() >= 4) {
        m_destinationPath = args.at(3);
        m_destinationGiven = true;
    }
    if (args.size() < 5)
        return true;
    QString fields;
    GetOpt opts(4);
    opts.addOption(QStringLiteral("fields"), &fields, QString());
    opts.parse();
    if (!parseFieldIndexList(fields, m_fieldIndexes)) {
        Console::out(QByteArray("fields must only contain integer values"));
        return false;
    }
    return true;
}
