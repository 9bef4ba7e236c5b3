#pragma once

#include "source/registry/LocalSourceTypeManager.h"

// IDF2 files (".idf", ".covidf", ".netCache.idf"). Their layout is not published, so the kind
// claims its files only to say why they cannot be opened.
class Idf2SourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 0;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override {
        return {QStringLiteral(".netCache.idf"), QStringLiteral(".covidf"), QStringLiteral(".idf")};
    }
    // Fails with "%1 does not exist" for a missing file and with the unsupported-layout message
    // otherwise.
    bool describe(VkSource& source, QString* error) const override;
};
