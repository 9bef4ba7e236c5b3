#pragma once

#include "app/Task.h"

// Arguments shared by `index` and `coverage`: a source and an optional --refFolder.
struct IndexArgs {
    QString sourcePath;
    QString refFolder;
    bool refFolderGiven = false;

    bool parse();
};

// Builds the genomic index of a source.
class Index : public Task {
public:
    Index() : Task(QStringLiteral(":/indexhelp.txt")) {}
    bool parseArgs() override { return m_args.parse(); }
    int run() override { return notAvailable("index"); }

private:
    IndexArgs m_args;
};
