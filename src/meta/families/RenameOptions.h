#pragma once

#include "meta/VkOptionsDeclare.h"

#include <QByteArray>
#include <QHash>

// Renaming of chromosome names while a source is written: fromNames[i] becomes toNames[i].
#define VK_RENAME_OPTIONS(OPT)                                                                               \
    OPT(StringList, fromNames, setFromNames, {}, "Chromosome names to replace")                              \
    OPT(StringList, toNames, setToNames, {}, "Replacement of each name in fromNames, at the same position")

VK_DECLARE_OPTIONS(RenameOptions, VkOptionsValue, 1, "Rename chromosomes of a source while it is written",
                   VK_RENAME_OPTIONS)

// The renames as UTF-8 chromosome names, for lookups while writing. Names without a partner
// (the longer list's tail) are left out; a null record renames nothing.
QHash<QByteArray, QByteArray> chromosomeRenames(const RenameOptions& options);
