#pragma once

#include "app/Task.h"

// Writes a source, or a region subset of it, to a TSF file.
class WriteTsf : public Task {
public:
    WriteTsf() : Task(QStringLiteral(":/writetsfhelp.txt")) {}
    bool parseArgs() override;
    int run() override { return notAvailable("writetsf"); }

private:
    QString m_sourcePath;
    QString m_destinationPath;
    QString m_query;
};
