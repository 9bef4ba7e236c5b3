#pragma once

#include "app/Task.h"

// Arguments shared by `index` and `coverage`: a source and an optional --refFolder.
struct IndexArgs {
    QString sourcePath;
    QString refFolder;
    bool refFolderGiven = false;

    bool parse();
};

// Builds the genomic index of a source: a bgzip copy and tabix index of VCF and delimited text,
// the ".bai" of a BAM file.
class Index : public Task {
public:
    Index() : Index(QStringLiteral(":/indexhelp.txt")) {}
    bool parseArgs() override { return m_args.parse(); }
    int run() override { return runPrecompute(QStringLiteral("GenomicIndex")); }

protected:
    explicit Index(const QString& helpResource) : Task(helpResource) {}

    // Opens the source, then runs one precomputation of it under a console logger.
    int runPrecompute(const QString& usage);
    // A further check of the opened source before the work starts: 0, or the exit status.
    virtual int checkSource(const VkSourcePtr&) const { return 0; }

    IndexArgs m_args;

private:
    VkSourcePtr openSource();
    void watchReferenceFolders() const;
    void reportReference(const VkSource& source) const;
};
