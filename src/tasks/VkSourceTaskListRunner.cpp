#include "tasks/VkSourceTaskListRunner.h"

#include "tasks/TaskRunner.h"
#include "tasks/TaskRunnerRegistry.h"

namespace {

QString startMessage(const SourceTaskOptions& task) {
    static const QHash<QString, QString> fixed{
        {"ReaderTask", "Preparing source reader"},
        {"DelimitedTextReaderTask", "Preparing delimited text reader"},
        {"TsfWriterTask", "Writing new file"},
        {"TsfRewriterTask", "Rewriting file in genomic order"},
        {"TsfInMemRewriterTask", "Caching the source into memory"},
        {"RemoveInMemTsfTask", "Removing In Memory Source"},
        {"VCFWriterTask", "Writing VCF file"},
        {"DelimitedTextWriterTask", "Writing delimited text"},
        {"XlsxWriterTask", "Writing XLSX file"},
        {"FastaWriterTask", "Writing Fasta file"},
        {"VariableWigWriterTask", "Writing Variable Step Wig file"},
        {"SortVCFTask", "Sorting file records"},
        {"FileUnzipTask", "Unziping file"},
        {"WorkerThreadAllocationTask", "Setting up resources"},
        {"AggregateOutputTask", "Aggregation outputs"},
        {"AssessmentImportTask", "Importing variants into the Assessment Catalog"}};
    const QString kind = task.className();
    if (kind == QLatin1String("RemoveFileTask")) {
        return QStringLiteral("Removing File: ") + RemoveFileTask(task).filePath();
    }
    if (kind == QLatin1String("FieldIndexTask")) {
        return QStringLiteral("Indexing field ") + FieldIndexTask(task).fieldName();
    }
    if (kind == QLatin1String("PrecomputeTask")) {
        return QStringLiteral("Computing %1 on source").arg(PrecomputeTask(task).usage());
    }
    if (kind == QLatin1String("TransformTask")) {
        return QStringLiteral("Preparing %1 transform").arg(TransformTask(task).txName());
    }
    if (kind == QLatin1String("CNVReferenceTask") || kind == QLatin1String("CNVBinnedReferenceTask")) {
        return QStringLiteral("Creating CNV Coverage: %1").arg(CNVReferenceTask(task).sampleBam());
    }
    return fixed.value(kind);
}

bool usesProgress(const SourceTaskOptions& task) {
    const QString kind = task.className();
    return kind == QLatin1String("ReaderTask") || kind == QLatin1String("AggregateOutputTask") ||
           kind == QLatin1String("DelimitedTextReaderTask");
}

} // namespace

VkSourceTaskListRunner::VkSourceTaskListRunner(QObject* parent) : QueueableTaskRunner(parent) {}

void VkSourceTaskListRunner::start(const TaskOptionsList& list, const QList<VkSourcePtr>& inputs) {
    m_tasks = list.tasks();
    m_inputs = inputs;
    reset();
    m_taskIndexes.clear();
    for (int i = 0; i < m_tasks.size(); ++i) {
        m_taskIndexes.insert(m_tasks[i].identifier(), i);
    }
    m_taskResults = QVector<QList<VkSourcePtr>>(m_tasks.size());
    m_currentIndex = 0;
    const QString error = missingInputError();
    if (!error.isEmpty()) {
        // Reported from the event loop, like every other end, so the command is already waiting.
        QMetaObject::invokeMethod(
            this, [this, error] { finishWithError(error); }, Qt::QueuedConnection);
        return;
    }
    m_startMessages.clear();
    m_usesProgress.clear();
    for (const SourceTaskOptions& task : qAsConst(m_tasks)) {
        m_startMessages.append(startMessage(task));
        m_usesProgress.append(usesProgress(task));
    }
    threads().create();
    scheduleNextTask();
}

QString VkSourceTaskListRunner::missingInputError() const {
    for (int i = 0; i < m_tasks.size(); ++i) {
        for (const QString& input : m_tasks[i].inputs()) {
            if (!m_taskIndexes.contains(input)) {
                return QStringLiteral("Task %1 (%2) references an input task with ID %3 which does not exist")
                    .arg(i)
                    .arg(TaskRunner::displayName(m_tasks[i]), input);
            }
        }
    }
    return QString();
}

QList<VkSourcePtr> VkSourceTaskListRunner::results() const {
    return m_taskResults.isEmpty() ? QList<VkSourcePtr>() : m_taskResults.last();
}

void VkSourceTaskListRunner::scheduleNextTask() {
    QMetaObject::invokeMethod(this, "startNextTask", Qt::QueuedConnection);
}

void VkSourceTaskListRunner::startNextTask() {
    if (isCanceled()) {
        return;
    }
    if (m_currentIndex >= m_tasks.size()) {
        finish(QString());
        return;
    }
    QString error;
    TaskRunner* runner = createRunner(m_tasks[m_currentIndex], &error);
    if (!runner) {
        finishWithError(error);
        return;
    }
    adoptRunner(runner);
    runner->start();
}

TaskRunner* VkSourceTaskListRunner::createRunner(const SourceTaskOptions& task, QString* error) {
    const TaskRunnerFactory factory = TaskRunnerRegistry::instance().factory(task.className());
    if (!factory) {
        *error = QStringLiteral("Task %1 (%2) is of a kind this program cannot run: %3")
                     .arg(m_currentIndex)
                     .arg(TaskRunner::displayName(task), task.className());
        return nullptr;
    }
    TaskRunner* runner = factory(task, inputsOf(m_currentIndex), threads(), error);
    if (!runner && error->isEmpty()) {
        *error = TaskRunner::invalidSourceMessage(task);
    }
    return runner;
}

QList<VkSourcePtr> VkSourceTaskListRunner::inputsOf(int taskIndex) const {
    const QVector<QString> names = m_tasks[taskIndex].inputs();
    if (names.isEmpty()) {
        return m_inputs;
    }
    QList<VkSourcePtr> sources;
    for (const QString& name : names) {
        sources += m_taskResults[m_taskIndexes.value(name)];
    }
    return sources;
}

void VkSourceTaskListRunner::adoptRunner(TaskRunner* runner) {
    QueueableTaskRunner::adoptRunner(runner);
    emit taskStarted(m_currentIndex, m_usesProgress[m_currentIndex], m_startMessages[m_currentIndex]);
}

void VkSourceTaskListRunner::handleRunnerEnd(TaskRunner* runner) {
    const QList<VkSourcePtr> results = runner->results();
    QString error = runner->errorText();
    runner->deleteLater();
    const VkSourcePtr first = results.value(0);
    if (error.isEmpty() && first && first->isValid()) {
        m_taskResults[m_currentIndex] = results;
        emit taskFinished(m_currentIndex);
        ++m_currentIndex;
        scheduleNextTask();
        return;
    }
    if (error.isEmpty() && first) {
        error = first->errorText();
    }
    if (error.isEmpty()) {
        error = QStringLiteral("A empty source was returned from the step");
    }
    finishWithError(error);
}

void VkSourceTaskListRunner::finishWithError(const QString& errorText) {
    emit taskError(errorText);
    finish(errorText);
}
