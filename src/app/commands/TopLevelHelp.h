#pragma once

#include "app/Task.h"

// Stands in for a missing or unknown command word: it always ends in the
// list of commands and exit status 1.
class TopLevelHelp : public Task {
public:
    TopLevelHelp() : Task(QStringLiteral(":/toplevelhelp.txt")) {}
    bool parseArgs() override { return false; }
    int run() override { return 0; }
};
