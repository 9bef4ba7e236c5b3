#include "app/commands/WriteFasta.h"

#include "app/commands/WriterCommand.h"
#include "writers/FastaWriterWorker.h"

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

QString SourceDestinationArgs::destinationOr(const QString& sourcePath, const QString& suffix) const {
    if (destinationGiven)
        return destinationPath;
    const int dot = sourcePath.lastIndexOf(QLatin1Char('.'));
    const bool inFileName = dot > sourcePath.lastIndexOf(QLatin1Char('/'));
    return (inFileName ? sourcePath.left(dot) : sourcePath) + suffix;
}

int WriteFasta::run() {
    const VkSourcePtr source = openInput(m_args.sourcePath);
    if (const int status = checkInput(source, m_args.sourcePath))
        return status;
    if (source->featureType() != QLatin1String(FeatureTypeName::AlleleSequence))
        return printError(QStringLiteral("source %1 is not valid for .fasta output").arg(m_args.sourcePath));

    FastaWriterTask task;
    task.setOutputFilePath(m_args.destinationOr(source->path(), QStringLiteral(".fasta")));
    WriterCommand::announceDestination(task.outputFilePath());
    return WriterCommand::run(
        [&](VkEventedThread* readerThread) { return new FastaWriterWorker(source, task, readerThread); });
}
