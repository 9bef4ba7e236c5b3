#pragma once

#include "app/Task.h"

// Builds a prefix-search index over one field of a TSF file.
class FieldIndex : public Task {
public:
    FieldIndex() : Task(QStringLiteral(":/fieldindexhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    static int index(const VkSourcePtr& source, int field, const QString& storePath);

    QString m_sourcePath;
    QString m_indexPath;
    bool m_indexGiven = false;
    bool m_pathGiven = false;
    int m_fieldIndex = -1;
};
