#pragma once

#include "app/Task.h"

#include <QVector>

// Writes the locus and sample fields of a source as tab-delimited text.
class WriteTxt : public Task {
public:
    WriteTxt() : Task(QStringLiteral(":/writetxthelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    QString m_sourcePath;
    QString m_destinationPath;
    QString m_query;
    QVector<int> m_fieldIndexes;
};
