#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Runs the built varkit program, as a user would, and collects what it printed.
struct CliResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliResult runVarkit(const QStringList& arguments, const QByteArray& standardInput = QByteArray(),
                    const QString& workingDirectory = QString());
