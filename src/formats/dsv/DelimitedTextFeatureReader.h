#pragma once

#include "formats/dsv/DelimitedTextReaderOptions.h"
#include "source/readers/LocalFeatureReader.h"
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
// index when the file has one (otherwise by scanning the file).
class DelimitedTextFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    using LocalFeatureReader::LocalFeatureReader;

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
};
