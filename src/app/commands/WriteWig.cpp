#include "app/commands/WriteWig.h"

#include "app/commands/WriterCommand.h"
#include "writers/VariableWigWriterWorker.h"

int WriteWig::run() {
    const VkSourcePtr source = openInput(m_args.sourcePath);
    if (const int status = checkInput(source, m_args.sourcePath))
        return status;
    if (source->featureType() != QLatin1String(FeatureTypeName::DataSequence))
        return printError(QStringLiteral("source %1 is not valid for .wig output").arg(m_args.sourcePath));

    VariableWigWriterTask task;
    task.setOutputFilePath(m_args.destinationOr(source->path(), QStringLiteral(".wig")));
    WriterCommand::announceDestination(task.outputFilePath());
    return WriterCommand::run([&](VkEventedThread* readerThread) {
        return new VariableWigWriterWorker(source, task, readerThread);
    });
}
