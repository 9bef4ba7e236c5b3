#pragma once

#include "app/Task.h"
#include "app/commands/Index.h"

// Computes the zoomed-out coverage companion of an indexed source.
class Coverage : public Task {
public:
    Coverage() : Task(QStringLiteral(":/coveragehelp.txt")) {}
    bool parseArgs() override { return m_args.parse(); }
    int run() override { return notAvailable("coverage"); }

private:
    IndexArgs m_args;
};
