#pragma once

#include "app/Task.h"
#include "app/commands/Schema.h"

// Runs every precompute task (genomic index, coverage) a source still needs, in order.
class Precompute : public Task {
public:
    Precompute() : Task(QStringLiteral(":/precomputehelp.txt")) {}
    bool parseArgs() override { return parseSingleSourceArgs(m_sourcePath); }
    int run() override;

private:
    QString m_sourcePath;
};
