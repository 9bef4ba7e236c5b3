#pragma once

#include "formats/dsv/DelimitedTextReaderOptions.h"
#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"
#include "source/registry/VkResourceData.h"

// What the readers of one delimited source share: the layout the probe established.
class DelimitedTextSourceData : public VkResourceData {
public:
    explicit DelimitedTextSourceData(DelimitedTextReaderOptions options) : m_options(std::move(options)) {}
    const DelimitedTextReaderOptions& options() const { return m_options; }

private:
    DelimitedTextReaderOptions m_options;
};

// Reads the features of a delimited text source: in file order, or by region through the tabix
// index when the file has one.
namespace DelimitedTextCursor {

FeatureCursorPtr openSequential(const VkSourcePtr& source, qint64 offset, const QList<int>& fields,
                                QString* error);
// Null with an empty error when the file has no tabix index: the caller then scans the file.
FeatureCursorPtr openIndexed(const VkSourcePtr& source, const QList<VkSegment>& regions,
                             const QList<int>& fields, QString* error);

} // namespace DelimitedTextCursor
