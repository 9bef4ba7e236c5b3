#pragma once

#include "app/Task.h"
#include "app/commands/FieldSelection.h"

// Writes the locus and sample fields of a source to an xlsx workbook.
class WriteXlsx : public Task {
public:
    WriteXlsx() : Task(QStringLiteral(":/writexlsxhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    QString m_sourcePath;
    QString m_destinationPath;
    QString m_query;
    QVector<FieldGroupSelection> m_matrixFieldGroup;
    QVector<FieldGroupSelection> m_fieldGroups;
};
