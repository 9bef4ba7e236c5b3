#pragma once

#include "source/registry/LocalSourceTypeManager.h"

// The source kind of TSF files (".tsf", ".dsf", ".tsf-autosave", ".covtsf") and of in-memory TSF
// databases ("[memory]..." names). A path may select one source of a file by its id with a
// ":<id>" tail ("genes.covtsf:1"); without one the file's first source is opened.
class TsfSourceTypeManager : public LocalSourceTypeManager {
public:
    static constexpr int TypeId = 1;

    int typeId() const override { return TypeId; }
    QStringList suffixes() const override;
    bool handles(const QString& path) const override;
    bool describe(VkSource& source, QString* error) const override;
    FeatureCursorPtr openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                QString* error) const override;
    VkFieldReader* createFieldReader(const VkSourcePtr& source) const override;

    // The database path and the source id (-1 for the first source) named by a path.
    static void splitPath(const QString& path, QString* databasePath, qint64* sourceId);
};
