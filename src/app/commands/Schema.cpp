#include "app/commands/Schema.h"

#include <QCoreApplication>

bool parseSingleSourceArgs(QString& sourcePath) {
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return false;
    sourcePath = args.at(2);
    return true;
}
