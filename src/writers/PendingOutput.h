#pragma once

#include <QString>

// A file written under a temporary name beside its destination and renamed over it only when the
// whole file is written, so a failed or cancelled write never leaves a partial file behind. The
// temporary file is removed unless the output was committed.
class PendingOutput {
public:
    explicit PendingOutput(QString destination);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const QString& destination() const { return m_destination; }
    // Hidden, unique and in the destination's folder, so the final rename stays on one file system.
    const QString& temporaryPath() const { return m_temporaryPath; }

    // Moves the written file into place, replacing any file of that name.
    bool commit(QString* error);
    // Removes the temporary file now.
    void discard();

private:
    QString m_destination;
    QString m_temporaryPath;
    bool m_committed = false;
};
