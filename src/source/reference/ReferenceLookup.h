#pragma once

#include "source/registry/VkSource.h"

#include <QString>
#include <QStringList>

// Finds the reference sequence source (FASTA or 2bit) of a genome build, for the code that needs
// reference bases (index, coverage, left-align, the VCF writer). What to do when there is none
// (fill with "N", fail) is the caller's business.
//
// Folders are searched in order: the folder given explicitly (or the file itself, when a reference
// file is given), then the folders of the source watchers: "parameter" (--refFolder), "auto" (the
// source's folder), then the others ("sys" ...) in the order they were opened. In each folder a
// reference of the wanted build is taken before one whose build is unknown; a reference of another
// build is never taken. Without a wanted build the first reference found is taken.
class ReferenceLookup {
public:
    // The reference of a build (a coordSysId); null when none is found. The returned source holds
    // the bases: ReferenceSequence::of(*source).
    static VkSourcePtr find(const QString& coordSysId, const QString& folder = QString());
    // The reference of a source's build: its coordInfo's coordSysId, else its docInfo's.
    static VkSourcePtr findFor(const VkSourceInfo& info, const QString& folder = QString());
    // The folders (or reference file) searched, in order, without repeats.
    static QStringList searchPaths(const QString& folder = QString());
};
