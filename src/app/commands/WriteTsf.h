#pragma once

#include "app/Task.h"
#include "tasks/TaskOptionsList.h"

// Writes a source, or a region subset of it, to a TSF file.
class WriteTsf : public Task {
public:
    WriteTsf() : Task(QStringLiteral(":/writetsfhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

    // The source's meta data for a subset of it: a copy whose curation time, when it holds a valid
    // date-time, is 60 seconds later, so the subset reads as curated after its source.
    static SourceMetaOptions subsetMeta(const SourceMetaOptions& meta);

private:
    static int runTaskList(const TaskOptionsList& list, const VkSourcePtr& source);
    static int compressionCode(const QString& name);

    QString m_sourcePath;
    QString m_destinationPath;
    QString m_query;
    QString m_compressionName;
    int m_compression = 0;
};
