#include "app/Entry.h"

#include "app/Console.h"
#include "app/Interrupts.h"
#include "app/SysInfo.h"
#include "app/commands/Annotate.h"
#include "app/commands/Coverage.h"
#include "app/commands/FieldIndex.h"
#include "app/commands/Index.h"
#include "app/commands/LeftAlign.h"
#include "app/commands/Lock.h"
#include "app/commands/Precompute.h"
#include "app/commands/S3url.h"
#include "app/commands/Schema.h"
#include "app/commands/TopLevelHelp.h"
#include "app/commands/Transform.h"
#include "app/commands/WriteFasta.h"
#include "app/commands/WriteTsf.h"
#include "app/commands/WriteTxt.h"
#include "app/commands/WriteVcf.h"
#include "app/commands/WriteWig.h"
#include "app/commands/WriteXlsx.h"
#include "tasks/workers/VkApplication.h"

#include <QCoreApplication>

#include <functional>
#include <map>
#include <memory>

namespace {
std::unique_ptr<Task> createCommand(const QString& word) {
    using Factory = std::function<std::unique_ptr<Task>()>;
    static const std::map<QString, Factory> commands = {
        {QStringLiteral("annotate"), [] { return std::make_unique<Annotate>(); }},
        {QStringLiteral("coverage"), [] { return std::make_unique<Coverage>(); }},
        {QStringLiteral("fieldindex"), [] { return std::make_unique<FieldIndex>(); }},
        {QStringLiteral("index"), [] { return std::make_unique<Index>(); }},
        {QStringLiteral("leftalign"), [] { return std::make_unique<LeftAlign>(); }},
        {QStringLiteral("lock"), [] { return std::make_unique<Lock>(); }},
        {QStringLiteral("precompute"), [] { return std::make_unique<Precompute>(); }},
        {QStringLiteral("s3url"), [] { return std::make_unique<S3url>(); }},
        {QStringLiteral("schema"), [] { return std::make_unique<Schema>(); }},
        {QStringLiteral("transform"), [] { return std::make_unique<Transform>(); }},
        {QStringLiteral("writefasta"), [] { return std::make_unique<WriteFasta>(); }},
        {QStringLiteral("writetsf"), [] { return std::make_unique<WriteTsf>(); }},
        {QStringLiteral("writetxt"), [] { return std::make_unique<WriteTxt>(); }},
        {QStringLiteral("writevcf"), [] { return std::make_unique<WriteVcf>(); }},
        {QStringLiteral("writewig"), [] { return std::make_unique<WriteWig>(); }},
        {QStringLiteral("writexlsx"), [] { return std::make_unique<WriteXlsx>(); }},
    };
    const auto found = commands.find(word);
    if (found == commands.end())
        return std::make_unique<TopLevelHelp>();
    return found->second();
}

int parseAndRun(Task& command, bool helpRequested) {
    if (!command.parseArgs() || helpRequested) {
        command.printHelp();
        return 1;
    }
    return command.run();
}

// The last resort: an exception the command's own code let through (out of memory on the main
// thread, say), or one an event handler threw and VkApplication kept, becomes the command's
// error and exit status 1. Unwinding the command has already dropped its unfinished outputs.
int runCommand(const QString& word, bool helpRequested) {
    int status = 1;
    try {
        const std::unique_ptr<Task> command = createCommand(word);
        status = parseAndRun(*command, helpRequested);
        command->stopUtilityThread();
    } catch (...) {
        status = Task::printError(VkApplication::currentExceptionText() + QLatin1Char('\n'));
    }
    const QString uncaught = VkApplication::uncaughtError();
    if (!uncaught.isEmpty())
        status = Task::printError(uncaught + QLatin1Char('\n'));
    return status;
}
} // namespace

int varkitMain(int argc, char** argv) {
    Interrupts::install();
    VkApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();

    QString word;
    bool helpRequested = false;
    if (args.size() >= 2) {
        word = args.at(1).toLower();
        if (word == QLatin1String("help") && args.size() >= 3) {
            word = args.at(2);
            helpRequested = true;
        }
    }
    if (word == QLatin1String("sysinfo")) {
        Console::out(SysInfo::report());
        return 0;
    }
    return runCommand(word, helpRequested);
}
