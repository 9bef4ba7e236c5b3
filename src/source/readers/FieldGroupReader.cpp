#include "source/readers/FieldGroupReader.h"

FieldGroupReader::FieldGroupReader(VkSourcePtr source, VkFeatureReader* backing, int backingFieldCount)
    : PassThroughFeatureReader(std::move(source), backing), m_backingFieldCount(backingFieldCount) {}

void FieldGroupReader::addFieldGroup(std::shared_ptr<const FieldGroup> group) {
    m_groups.push_back(std::move(group));
}

// Computed fields may use any backing field, so the backing source is asked for all of them.
ReadRequest FieldGroupReader::backingRequest(const ReadRequest& request) const {
    ReadRequest backingRequest = request;
    backingRequest.fieldList.clear();
    for (int idx = 0; idx < m_backingFieldCount; ++idx)
        backingRequest.fieldList.append(idx);
    return backingRequest;
}

bool FieldGroupReader::transformBatch(VkFeatureList& batch, const ReadRequest&, QString*) {
    for (VkFeature& feature : batch) {
        int firstIdx = m_backingFieldCount;
        for (const auto& group : m_groups) {
            group->addValues(feature, firstIdx);
            firstIdx += group->fields().size();
        }
    }
    return true;
}
