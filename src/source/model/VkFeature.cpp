#include "source/model/VkFeature.h"

VkFeature::VkFeature() : d(new Data) {}

VkFeature::VkFeature(VkSegment segment, PVariantVector values) : d(new Data) {
    d->segment = std::move(segment);
    d->values = std::move(values);
}

const PVariant VkFeature::s_invalid;

void VkFeature::setValue(int idx, PVariant value) {
    if (idx < 0)
        return;
    if (idx >= d->values.size())
        d->values.resize(idx + 1);
    d->values[idx] = std::move(value);
}

bool VkFeature::operator==(const VkFeature& other) const {
    return d == other.d || (d->segment == other.d->segment && d->values == other.d->values);
}
