#include "app/commands/WriteFasta.h"

#include <QCoreApplication>

bool SourceDestinationArgs::parse() {
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        return false;
    sourcePath = args.at(2);
    if (args.size() >= 4) {
        destinationPath = args.at(3);
        destinationGiven = true;
    }
    return true;
}
