#include "support/Cli.h"

#include <QProcess>

CliResult runVarkit(const QStringList& arguments, const QByteArray& standardInput,
                    const QString& workingDirectory) {
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(VARKIT_BINARY), arguments);
    CliResult result;
    if (!process.waitForStarted())
        return result;
    process.write(standardInput);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
