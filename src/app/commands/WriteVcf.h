#pragma once

#include "app/Task.h"

#include <QVector>

// Writes a variant source as VCF.
class WriteVcf : public Task {
public:
    WriteVcf() : Task(QStringLiteral(":/writevcfhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    // Records re-sorted together, so that nearly sorted sources still give an indexable file.
    static constexpr int kSortWindow = 10000;

    QString m_sourcePath;
    QString m_destinationPath;
    QString m_query;
    QVector<int> m_fieldIndexes;
    bool m_destinationGiven = false;
};
