#pragma once

#include "app/Task.h"

// Sets or clears the LockedForEditing property of TSF files.
class Lock : public Task {
public:
    Lock() : Task(QStringLiteral(":/lockhelp.txt")) {}
    bool parseArgs() override;
    int run() override;

private:
    void addSource(const QString& path);
    void update(const QString& path) const;

    bool m_lock = false;
    bool m_lockGiven = false;
    QStringList m_paths;
};
