#pragma once

#include "app/Task.h"
#include "app/commands/Schema.h"

// Runs every precompute task (genomic index, value extents, coverage) a source needs.
class Precompute : public Task {
public:
    Precompute() : Task(QStringLiteral(":/precomputehelp.txt")) {}
    bool parseArgs() override { return parseSingleSourceArgs(m_sourcePath); }
    int run() override { return notAvailable("precompute"); }

private:
    QString m_sourcePath;
};
