#pragma once

#include "source/VkFeature.h"
#include "source/VkSegment.h"

// A reader's cache of query results: a query begins with its segment (a cache may narrow it to
// what it does not hold yet), results are added as they arrive, and the cache can be dropped.
class VkCachedQuery {
public:
    virtual ~VkCachedQuery() = default;
    virtual VkSegment beginQuery(const VkSegment& segment) = 0;
    virtual void addResults(const VkFeatureList& features) = 0;
    virtual void clear() = 0;
};

// Caches nothing: every query is read in full.
class NullCachedQuery : public VkCachedQuery {
public:
    VkSegment beginQuery(const VkSegment& segment) override {
        m_current = segment;
        m_last = segment;
        return segment;
    }
    void addResults(const VkFeatureList&) override {}
    void clear() override {}

    const VkSegment& currentQuery() const { return m_current; }
    const VkSegment& lastQuery() const { return m_last; }

private:
    VkSegment m_current;
    VkSegment m_last;
};
