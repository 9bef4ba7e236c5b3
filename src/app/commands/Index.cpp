#include "app/commands/Index.h"

#include "app/Console.h"
#include "app/GetOpt.h"
#include "formats/dsv/DsvSourceTypeManager.h"
#include "source/reference/ReferenceLookup.h"
#include "source/registry/LocalSourceWatcher.h"
#include "tasks/CmdWorkerRunnerLogger.h"
#include "tasks/PrecomputeRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>

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

namespace {

bool isDelimitedTextName(const QString& path) {
    static const QStringList extensions = {QStringLiteral("tsv"), QStringLiteral("csv"),
                                           QStringLiteral("dsv"), QStringLiteral("txt")};
    return extensions.contains(DsvSourceTypeManager::effectiveExtension(path).toLower());
}

} // namespace

// The registry claims delimited text only once it is indexed; before that, a file named as
// delimited text is opened as such so that it can be.
VkSourcePtr Index::openSource() {
    const VkSourcePtr source = openInput(m_args.sourcePath);
    if (source->isValid() || !QFileInfo(m_args.sourcePath).isFile() ||
        !isDelimitedTextName(m_args.sourcePath))
        return source;
    return DsvSourceTypeManager::openPath(m_args.sourcePath);
}

int Index::runPrecompute(const QString& usage) {
    initDataFolders();
    const VkSourcePtr source = openSource();
    if (const int status = checkInput(source, m_args.sourcePath))
        return status;
    watchReferenceFolders();
    if (const int status = checkSource(source))
        return status;
    if (source->path().endsWith(QLatin1String(".bam"), Qt::CaseInsensitive))
        reportReference(*source);
    const std::unique_ptr<PrecomputeRunner> runner(PrecomputeRunner::create(source, usage, utilityThread()));
    if (!runner) {
        printHelp();
        return printError(QStringLiteral("Precompute not supported for selected file.\n"));
    }
    CmdWorkerRunnerLogger logger(runner.get());
    runner->start();
    QCoreApplication::exec();
    return runner->hasError() ? 1 : 0;
}

// References next to the source, or in the folder given, become findable by the registry.
void Index::watchReferenceFolders() const {
    const QFileInfo source(m_args.sourcePath);
    if (source.absoluteDir().exists())
        LocalSourceWatcher::open(QStringLiteral("auto"), source.absolutePath());
    if (m_args.refFolderGiven && QFileInfo(m_args.refFolder).isDir())
        LocalSourceWatcher::open(QStringLiteral("parameter"), QFileInfo(m_args.refFolder).absoluteFilePath());
}

void Index::reportReference(const VkSource& source) const {
    const VkSourcePtr reference = ReferenceLookup::findFor(source.info());
    if (!reference || !reference->isValid())
        Console::out(QStringLiteral("Unable to find reference sequence source for build: %1\n")
                         .arg(source.info().coordInfo.coordSysId));
    else
        Console::out(QStringLiteral("Will compute mismatches using ref: %1\n").arg(reference->path()));
}
