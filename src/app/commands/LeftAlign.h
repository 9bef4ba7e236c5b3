#pragma once

#include "app/Task.h"

// Writes a left-aligned VCF of a variant source against a reference folder.
class LeftAlign : public Task {
public:
    LeftAlign() : Task(QStringLiteral(":/leftalignhelp.txt")) {}
    bool parseArgs() override;
    int run() override { return notAvailable("leftalign"); }

private:
    QString m_sourcePath;
    QString m_destinationPath;
    QString m_refFolder;
    bool m_duplicate = false;
};
