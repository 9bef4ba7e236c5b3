#pragma once

#include "app/Task.h"

// Writes a left-aligned VCF of a variant source against a reference folder.
class LeftAlign : public Task {
public:
    LeftAlign() : Task(QStringLiteral(":/leftalignhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    // The nearly sorted output of the aligner is written sorted in windows of this many records.
    static constexpr int kSortWindow = 10000;

    VkSourcePtr findReference(const VkSource& source) const;
    QString defaultDestination() const;

    QString m_sourcePath;
    QString m_destinationPath;
    QString m_refFolder;
    bool m_duplicate = false;
};
