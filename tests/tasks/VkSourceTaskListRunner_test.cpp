#include "source/registry/VkSourceTypeRegistry.h"
#include "support/MemorySourceTypeManager.h"
#include "tasks/AppLoop.h"
#include "tasks/TaskListRunnerLogger.h"
#include "tasks/TaskRunner.h"
#include "tasks/TaskRunnerRegistry.h"
#include "tasks/VkSourceTaskListRunner.h"
#include "tasks/WorkerTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ListRun {
    bool ended = false;
    QString error;
    std::string console;
    QList<VkSourcePtr> results;
    QList<int> started;
};

ListRun runList(const QVector<SourceTaskOptions>& tasks, const QList<VkSourcePtr>& inputs = {}) {
    MemorySourceTypeManager::registerOnce();
    TaskOptionsList list;
    list.setTasks(tasks);
    VkSourceTaskListRunner runner;
    TaskListRunnerLogger logger(&runner);
    ListRun run;
    QObject::connect(&runner, &QueueableTaskRunner::taskStarted,
                     [&run](int index, bool, const QString&) { run.started.append(index); });
    testing::internal::CaptureStderr();
    runner.start(list, inputs);
    run.ended = runAppLoop();
    run.console = testing::internal::GetCapturedStderr();
    run.error = runner.errorText();
    run.results = runner.results();
    return run;
}

template <class Task> Task task(const QString& identifier, const QVector<QString>& inputs = {}) {
    Task record;
    record.setIdentifier(identifier);
    record.setInputs(inputs);
    return record;
}

ReaderTask reader(const QString& identifier, const QString& path) {
    ReaderTask record = task<ReaderTask>(identifier);
    record.setFilePath(path);
    return record;
}

RemoveFileTask remover(const QString& path, const QVector<QString>& inputs) {
    RemoveFileTask record = task<RemoveFileTask>("remove", inputs);
    record.setFilePath(path);
    return record;
}

QStringList pathsOf(const QList<VkSourcePtr>& sources) {
    QStringList paths;
    for (const VkSourcePtr& source : sources) {
        paths.append(source->path());
    }
    return paths;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A runner whose work is a fixed script: progress reports, then the given results.
class ScriptedRunner : public TaskRunner {
public:
    ScriptedRunner(QList<int> percents, QList<VkSourcePtr> results)
        : TaskRunner(nullptr), m_percents(std::move(percents)), m_scriptedResults(std::move(results)) {}

    void start() override {
        QTimer::singleShot(0, this, [this] {
            for (int percent : qAsConst(m_percents)) {
                emit percentDone(percent, this);
            }
            setResults(m_scriptedResults);
            emit workComplete();
        });
    }

private:
    QList<int> m_percents;
    QList<VkSourcePtr> m_scriptedResults;
};

// A runner whose work never ends by itself.
class IdleRunner : public TaskRunner {
public:
    IdleRunner() : TaskRunner(nullptr) {}
    void start() override {}
};

// Gives a task kind that has no runner of its own a factory for the length of a test.
class KindOverride {
public:
    KindOverride(const char* kind, TaskRunnerFactory factory) : m_kind(QString::fromLatin1(kind)) {
        m_previous = TaskRunnerRegistry::instance().registerKind(m_kind, std::move(factory));
    }
    ~KindOverride() { TaskRunnerRegistry::instance().registerKind(m_kind, m_previous); }

private:
    QString m_kind;
    TaskRunnerFactory m_previous;
};

} // namespace

TEST(VkSourceTaskListRunnerTest, ReaderOfAValidSourceCompletes) {
    const ListRun run = runList({reader("read", "mem:10")});
    ASSERT_TRUE(run.ended);
    EXPECT_TRUE(run.error.isEmpty());
    EXPECT_EQ(run.console, "Preparing source reader\nComplete: shutting down\n");
    ASSERT_EQ(run.results.size(), 1);
    EXPECT_TRUE(run.results[0]->isValid());
    EXPECT_EQ(run.results[0]->typeName(), "Memory");
}

TEST(VkSourceTaskListRunnerTest, TasksTakeTheResultsOfTheTasksTheyName) {
    const ListRun run =
        runList({reader("a", "mem:10"), reader("b", "mem:20"), task<AggregateOutputTask>("all", {"b", "a"})});
    ASSERT_TRUE(run.ended);
    EXPECT_TRUE(run.error.isEmpty()) << run.error.toStdString();
    EXPECT_EQ(pathsOf(run.results), (QStringList{"mem:20", "mem:10"}));
    EXPECT_EQ(run.started, (QList<int>{0, 1, 2}));
    EXPECT_NE(run.console.find("Aggregation outputs\n"), std::string::npos);

    const VkSourcePtr given = VkSourceTypeRegistry::instance().open("mem:5");
    const ListRun unnamed = runList({task<AggregateOutputTask>("all")}, {given});
    EXPECT_TRUE(unnamed.error.isEmpty());
    EXPECT_EQ(unnamed.results, (QList<VkSourcePtr>{given})) << "without named inputs a task takes the list's";
}

TEST(VkSourceTaskListRunnerTest, MissingInputTaskFailsBeforeAnyTaskRuns) {
    AggregateOutputTask gather = task<AggregateOutputTask>("gather", {"read", "nope"});
    gather.setTaskName("gather");
    const ListRun run = runList({reader("read", "mem:10"), gather});
    ASSERT_TRUE(run.ended);
    const std::string message = "Task 1 (gather) references an input task with ID nope which does not exist";
    EXPECT_EQ(run.error.toStdString(), message);
    EXPECT_TRUE(run.started.isEmpty());
    EXPECT_EQ(run.console, "Ran into errors: " + message + "\n");
}

TEST(VkSourceTaskListRunnerTest, UnreadableSourceStopsTheList) {
    const QString path = QDir::temp().filePath("varkit-missing.unknownkind");
    const ListRun run = runList({reader("read", path), task<AggregateOutputTask>("all", {"read"})});
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.error, "The file is of an unrecognized type: " + path);
    EXPECT_TRUE(endsWith(
        run.console, "Ran into errors: The file is of an unrecognized type: " + path.toStdString() + "\n"));
    EXPECT_EQ(run.started, QList<int>{0});
}

TEST(VkSourceTaskListRunnerTest, RemoveFileTaskRemovesOrSaysWhyNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("old.tsf");
    QFile created(file);
    ASSERT_TRUE(created.open(QIODevice::WriteOnly));
    created.close();

    const ListRun removed = runList({reader("read", "mem:10"), remover(file, {"read"})});
    EXPECT_TRUE(removed.error.isEmpty()) << removed.error.toStdString();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_NE(removed.console.find("Removing File: " + file.toStdString() + "\n"), std::string::npos);
    EXPECT_EQ(pathsOf(removed.results), QStringList{"mem:10"}) << "the task hands its inputs on";

    const ListRun missing = runList({reader("read", "mem:10"), remover(file, {"read"})});
    EXPECT_EQ(missing.error, "File to remove does not exist, file: " + file);

    ASSERT_TRUE(QDir(dir.path()).mkpath("busy/inner"));
    const QString folder = dir.filePath("busy");
    const ListRun stuck = runList({reader("read", "mem:10"), remover(folder, {"read"})});
    EXPECT_EQ(stuck.error, "File could not be removed, file " + folder);
}

TEST(VkSourceTaskListRunnerTest, TaskKindsRunThroughTheirRegisteredFactories) {
    CNVReferenceTask cnv = task<CNVReferenceTask>("cnv");
    cnv.setSampleBam("s1.bam");
    const ListRun unknown = runList({cnv});
    EXPECT_TRUE(unknown.error.contains("CNVReferenceTask")) << unknown.error.toStdString();
    EXPECT_TRUE(unknown.started.isEmpty());

    const VkSourcePtr source = VkSourceTypeRegistry::instance().open("mem:3");
    {
        KindOverride kind("CNVReferenceTask", [source](const SourceTaskOptions&, const QList<VkSourcePtr>&,
                                                       TaskThreads&, QString*) {
            return new ScriptedRunner({0, 7, 100}, {source});
        });
        const ListRun run = runList({cnv});
        EXPECT_TRUE(run.error.isEmpty()) << run.error.toStdString();
        EXPECT_EQ(run.results, QList<VkSourcePtr>{source});
        EXPECT_EQ(run.console.rfind("Creating CNV Coverage: s1.bam\n  0%\t", 0), 0u) << run.console;
        EXPECT_NE(run.console.find("\n  7%\t"), std::string::npos);
        EXPECT_NE(run.console.find("\n100%\t"), std::string::npos);
        EXPECT_TRUE(endsWith(run.console, "Complete: shutting down\n"));
    }
    {
        KindOverride kind("CNVReferenceTask",
                          [](const SourceTaskOptions&, const QList<VkSourcePtr>&, TaskThreads&, QString*) {
                              return new ScriptedRunner({}, {});
                          });
        EXPECT_EQ(runList({cnv}).error, "A empty source was returned from the step");
    }
    {
        KindOverride kind("CNVReferenceTask", [](const SourceTaskOptions&, const QList<VkSourcePtr>&,
                                                 TaskThreads&, QString*) { return nullptr; });
        EXPECT_EQ(runList({cnv}).error, "Task CNVReferenceTask failed to create a valid source");
    }
}

TEST(VkSourceTaskListRunnerTest, CancelledListEndsItsRunnerAndSaysNothingMore) {
    QPointer<TaskRunner> idle;
    KindOverride kind("CNVReferenceTask",
                      [&idle](const SourceTaskOptions&, const QList<VkSourcePtr>&, TaskThreads&, QString*) {
                          idle = new IdleRunner;
                          return idle.data();
                      });
    TaskOptionsList list;
    list.setTasks({task<CNVReferenceTask>("cnv"), reader("read", "mem:10")});
    VkSourceTaskListRunner runner;
    int ends = 0;
    QObject::connect(&runner, &QueueableTaskRunner::finished, [&ends] { ++ends; });
    runner.start(list, {});
    ASSERT_TRUE(waitUntil([&idle] { return !idle.isNull(); }));
    runner.cancel();
    EXPECT_TRUE(waitUntil([&idle] { return idle.isNull(); }));
    spinFor(50);
    EXPECT_EQ(ends, 0);
    EXPECT_EQ(runner.currentTaskIndex(), 0);
}
