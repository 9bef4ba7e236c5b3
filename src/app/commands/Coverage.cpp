#include "app/commands/Coverage.h"

#include "app/Console.h"
#include "source/registry/VkSourceTypeManager.h"

int Coverage::run() {
    Console::out(QStringLiteral("file path for index: %1 \n").arg(m_args.sourcePath));
    return runPrecompute(QStringLiteral("AlignmentCoverage"));
}

int Coverage::checkSource(const VkSourcePtr& source) const {
    QString message;
    if (!source->manager()->precomputeNeeded(*source, QStringLiteral("GenomicIndex"), &message))
        return 0;
    return printError(
        QStringLiteral("Can not compute coverage because a index is required for: %1\nTry using "
                       "the precompute command instead to do both.\n")
            .arg(m_args.sourcePath));
}
