#pragma once

#include "app/Task.h"
#include "app/commands/WriteFasta.h"

// Writes a data-sequence source as variable-step wig.
class WriteWig : public Task {
public:
    WriteWig() : Task(QStringLiteral(":/writewighelp.txt")) {}
    bool parseArgs() override { return m_args.parse(); }
    int run() override;

private:
    SourceDestinationArgs m_args;
};
