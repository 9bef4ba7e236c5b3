#pragma once

#include "source/readers/LocalFeatureReader.h"

#include <functional>

// A reader that answers from a backing reader, letting a subclass rewrite each batch on the way
// through. The backing reader becomes its child, so both move to the worker thread together.
class PassThroughFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    PassThroughFeatureReader(VkSourcePtr source, VkFeatureReader* backing);

    FeatureCursorPtr openCursor(const ReadRequest& request, QString* error) override;

protected:
    VkFeatureReader* backing() const { return m_backing; }
    // The request sent to the backing reader.
    virtual ReadRequest backingRequest(const ReadRequest& request) const { return request; }
    // Rewrites a batch read from the backing reader; false, with the reason, to fail the read.
    virtual bool transformBatch(VkFeatureList& batch, const ReadRequest& request, QString* error);

private:
    VkFeatureReader* m_backing;
};
