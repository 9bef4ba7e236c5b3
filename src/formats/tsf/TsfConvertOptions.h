#pragma once

#include "tasks/TaskRecords.h"

#include <QMetaType>

// What a conversion writes: the TSF writer task's settings, and whether the records are put in
// genomic order first (rewriting a file whose records are not).
struct TsfConvertOptions {
    TsfWriterTask task;
    bool sortByPosition = false;
};

Q_DECLARE_METATYPE(TsfConvertOptions)
