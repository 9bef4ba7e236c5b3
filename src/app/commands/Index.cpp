#include "app/commands/Index.h"

#include "app/Console.h"
#include "app/GetOpt.h"

#include <QCoreApplication>

bool IndexArgs::parse() {
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        return false;
    sourcePath = args.at(2);
    if (args.size() == 3)
        return true;
    GetOpt opts(3);
    opts.addOption(QStringLiteral("refFolder"), &refFolder, QString());
    opts.parse();
    if (refFolder.isEmpty()) {
        Console::out(QStringLiteral("Additional arguments after <%1> not recognized\n").arg(sourcePath));
        return false;
    }
    refFolderGiven = true;
    return true;
}
