#pragma once

#include "app/Task.h"

// `schema` and `precompute` both take exactly one source argument.
bool parseSingleSourceArgs(QString& sourcePath);

// Prints a source's schema as JSON (a folder: the list of its sources' schemas).
class Schema : public Task {
public:
    Schema() : Task(QStringLiteral(":/schemahelp.txt")) {}
    bool parseArgs() override { return parseSingleSourceArgs(m_sourcePath); }
    int run() override;

private:
    int printFolder() const;

    QString m_sourcePath;
};
