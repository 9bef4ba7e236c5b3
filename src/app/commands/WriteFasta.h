#pragma once

#include "app/Task.h"

// `writefasta` and `writewig` take a source and an optional destination.
struct SourceDestinationArgs {
    QString sourcePath;
    QString destinationPath;
    bool destinationGiven = false;

    bool parse();
    // The destination given, else the source path up to the last "." of its file name, followed
    // by the suffix.
    QString destinationOr(const QString& sourcePath, const QString& suffix) const;
};

// Writes an allele-sequence source as FASTA.
class WriteFasta : public Task {
public:
    WriteFasta() : Task(QStringLiteral(":/writefastahelp.txt")) {}
    bool parseArgs() override { return m_args.parse(); }
    int run() override;

private:
    SourceDestinationArgs m_args;
};
