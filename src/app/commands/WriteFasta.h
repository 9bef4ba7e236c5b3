#pragma once

#include "app/Task.h"

// `writefasta` and `writewig` take a source and an optional destination.
struct SourceDestinationArgs {
    QString sourcePath;
    QString destinationPath;
    bool destinationGiven = false;

    bool parse();
};

// Writes an allele-sequence source as FASTA.
class WriteFasta : public Task {
public:
    WriteFasta() : Task(QStringLiteral(":/writefastahelp.txt")) {}
    bool parseArgs() override { return m_args.parse(); }
    int run() override { return notAvailable("writefasta"); }

private:
    SourceDestinationArgs m_args;
};
