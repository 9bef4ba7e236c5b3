#pragma once

#include "source/readers/PassThroughFeatureReader.h"

#include <memory>
#include <vector>

// Computes extra fields of a feature from the fields it already has.
class FieldGroup {
public:
    virtual ~FieldGroup() = default;
    // The fields this group adds, in order.
    virtual VkFieldList fields() const = 0;
    // Sets the group's values on a feature, its first field at firstIdx.
    virtual void addValues(VkFeature& feature, int firstIdx) const = 0;
};

// A pass-through reader whose schema is the backing source's fields followed by the fields of
// its field groups.
class FieldGroupReader : public PassThroughFeatureReader {
    Q_OBJECT
public:
    FieldGroupReader(VkSourcePtr source, VkFeatureReader* backing, int backingFieldCount);

    void addFieldGroup(std::shared_ptr<const FieldGroup> group);

protected:
    ReadRequest backingRequest(const ReadRequest& request) const override;
    bool transformBatch(VkFeatureList& batch, const ReadRequest& request, QString* error) override;

private:
    int m_backingFieldCount;
    std::vector<std::shared_ptr<const FieldGroup>> m_groups;
};
