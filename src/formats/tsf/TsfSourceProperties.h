#pragma once

#include "source/registry/VkSource.h"

#include <QByteArray>
#include <QString>

// Changes one of the properties a TSF source keeps in its `source_meta`, in the file itself: only
// that row of the `source` table changes, in one statement, so the file stays whole whatever happens.
namespace TsfSourceProperties {

// False with the reason: a source that is not a TSF source, a file that cannot be written.
bool set(const VkSource& source, const QByteArray& key, const QString& value, QString* error);

} // namespace TsfSourceProperties
