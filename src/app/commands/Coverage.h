#pragma once

#include "app/commands/Index.h"

// Computes the zoomed-out coverage companion (".covtsf") of an indexed source.
class Coverage : public Index {
public:
    Coverage() : Index(QStringLiteral(":/coveragehelp.txt")) {}
    int run() override;

protected:
    // Coverage is read by region, so the source must have its genomic index already.
    int checkSource(const VkSourcePtr& source) const override;
};
