#include "app/commands/LeftAlign.h"

#include "app/GetOpt.h"

bool LeftAlign::parseArgs() {
    if (arguments().size() < 3)
        return false;
    GetOpt opts(2);
    opts.addArgument(QStringLiteral("input"), &m_sourcePath);
    opts.addOption(QStringLiteral("refFolder"), &m_refFolder, QString());
    opts.addArgument(QStringLiteral("output file"), &m_destinationPath);
    opts.addSwitch(QStringLiteral("dup"), &m_duplicate);
    opts.parse();
    return !m_sourcePath.isEmpty() && !m_refFolder.isEmpty();
}
