#include "app/commands/WriteTsf.h"

#include "app/GetOpt.h"

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
